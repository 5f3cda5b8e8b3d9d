#include "tests/support/MemoryCap.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <iostream>

#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define KDS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KDS_ASAN 1
#endif
#endif

namespace {
constexpr const char* ChildVariable = "KDS_MEMORY_CAP_CHILD";

#ifndef KDS_ASAN
// The address space the process holds now, in bytes.
rlim_t CurrentAddressSpace() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray pages = statm.readAll().split(' ').value(0);
    return rlim_t(pages.toULongLong()) * rlim_t(sysconf(_SC_PAGESIZE));
}
#endif
} // namespace

bool kdstest::RunUnderMemoryCap(int CapMegabytes, const std::function<void()>& Body) {
    if (qEnvironmentVariableIsSet(ChildVariable)) {
#ifndef KDS_ASAN
        const rlim_t limit = CurrentAddressSpace() + rlim_t(CapMegabytes) * 1024 * 1024;
        const rlimit cap{limit, limit};
        if (setrlimit(RLIMIT_AS, &cap) != 0)
            ADD_FAILURE() << "no address space limit";
#endif
        Body();
        return true;
    }
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter = QStringLiteral("--gtest_filter=%1.%2")
                               .arg(QLatin1String(test->test_suite_name()), QLatin1String(test->name()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(ChildVariable), QStringLiteral("1"));
    QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
    asan += QStringLiteral(":max_allocation_size_mb=%1:allocator_may_return_null=0").arg(CapMegabytes);
    environment.insert(QStringLiteral("ASAN_OPTIONS"), asan);
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {filter});
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        ADD_FAILURE() << "the capped run did not finish";
        return false;
    }
    const bool passed = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    if (!passed)
        std::cerr << child.readAll().toStdString();
    return passed;
}
