#pragma once
// A pseudo-terminal pair held by a test: the test plays the far end on the master, the code under
// test opens the slave by its path.

#include <QString>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

struct PtyPair {
    int Master = -1;
    QString SlavePath;

    PtyPair() {
        Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (Master >= 0 && ::grantpt(Master) == 0 && ::unlockpt(Master) == 0)
            SlavePath = QString::fromLocal8Bit(::ptsname(Master));
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    void CloseMaster() {
        if (Master >= 0)
            ::close(Master);
        Master = -1;
    }
    bool Write(const QByteArray& bytes) const {
        return ::write(Master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
};
