// modemsim: a pair (or more) of modems of our own over pseudo-terminals, in one poll loop.
//
//   modemsim --line A=PATH --number A=101 --line B=PATH --number B=102 [options]
//
// Each line is a pseudo-terminal linked at PATH. The modem answers AT commands ("ERROR" for unknown
// ones), dials a number of another line ("ATDT102"), rings it ("RING") until it answers ("ATA"),
// then connects both with "CONNECT 33600" and carries the data. A DTR drop (the station closes its
// terminal) or "+++" between guard times followed by "ATH" hangs up: the far side gets
// "NO CARRIER" and its terminal closed, and a fresh terminal is linked in its place.
//
// Options: --fault A=cut@N|drop@N:K|corrupt@N|insert@N:HEX|stall@N:SECONDS (on the data A sends,
// at byte offsets of its stream); --rate BYTES/S; --latency MS (each way); --busy; --no-dialtone;
// --no-answer; --error A=TEXT (a command of A that contains TEXT is answered "ERROR"); --scale F
// (rings, connection and guard times); --connected (two lines already in data mode); --log DIR
// (DIR/<name>.log holds the data stream each line sent). "ready" is printed once every link is
// in place.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

double Scale = 1.0;
double Rate = 0;      // bytes per second each way, 0 = unthrottled
double LatencyMs = 0; // each way
bool Busy = false, NoDialtone = false, NoAnswer = false, StartConnected = false;
std::string LogDir;

std::chrono::milliseconds Scaled(double ms) {
    return std::chrono::milliseconds(static_cast<long long>(ms * Scale));
}

struct Fault {
    enum Kind { Cut, Drop, Corrupt, Insert, Stall } What;
    unsigned long long At = 0;
    unsigned long long Count = 0; // drop: bytes; stall: milliseconds
    std::string Bytes;            // insert
    bool Done = false;
};

struct Chunk {
    enum Kind { Plain, Cut, Close };
    TimePoint Due;
    std::string Bytes;
    Kind What = Plain; // Cut: the line drops here; Close: the terminal closes here
};

enum class Mode { Command, Dialing, Ringing, Data, Escaped };

struct Side {
    std::string Name, Link, Number, ErrorText;
    int Master = -1;
    bool SlaveOpen = false;
    Mode State = Mode::Command;
    bool Echo = true;
    std::string Line;
    Side* Peer = nullptr;
    std::deque<Chunk> Out;
    TimePoint NextFree{};        // pacing of the data this side receives
    unsigned long long Sent = 0; // data bytes this side sent
    std::vector<Fault> Faults;
    int Rings = 0;
    TimePoint NextEvent{}; // ring, connection or escape time
    bool EventPending = false;
    std::string Plus; // a possible escape held back
    TimePoint LastData{};
    FILE* Log = nullptr;
};

std::vector<std::unique_ptr<Side>> Sides;

Side* Find(const std::string& name) {
    for (auto& s : Sides)
        if (s->Name == name)
            return s.get();
    std::fprintf(stderr, "modemsim: unknown line %s\n", name.c_str());
    std::exit(2);
}

bool MakePty(Side& s);

void Relink(Side& s) {
    if (s.Master >= 0)
        ::close(s.Master);
    s.Master = -1;
    if (!MakePty(s))
        std::fprintf(stderr, "modemsim: cannot relink %s\n", s.Link.c_str());
}

bool MakePty(Side& s) {
    const int m = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m < 0 || ::grantpt(m) != 0 || ::unlockpt(m) != 0)
        return false;
    const std::string slave = ::ptsname(m);
    const std::string tmp = s.Link + ".new";
    ::unlink(tmp.c_str());
    if (::symlink(slave.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), s.Link.c_str()) != 0) {
        ::close(m);
        return false;
    }
    s.Master = m;
    s.SlaveOpen = false;
    s.Out.clear();
    s.Line.clear();
    s.Plus.clear();
    s.State = Mode::Command;
    s.Echo = true;
    s.EventPending = false;
    return true;
}

void Send(Side& s, const std::string& bytes, TimePoint due = Clock::now()) {
    s.Out.push_back({due, bytes, Chunk::Plain});
}

// The line speed a connection reports: ten bits a byte at the throttled rate.
std::string ConnectText() {
    return "CONNECT " + std::to_string(Rate > 0 ? (long long)(Rate * 10) : 33600LL);
}

void Result(Side& s, const char* text) {
    Send(s, std::string("\r\n") + text + "\r\n");
}

// The line drops for a side: "NO CARRIER" after what is on its way, then its terminal closes and
// a fresh one is linked in its place.
void Drop(Side& s) {
    s.Peer = nullptr;
    s.State = Mode::Command;
    s.EventPending = false;
    s.Plus.clear();
    if (s.Master < 0 || !s.SlaveOpen) {
        Relink(s);
        return;
    }
    TimePoint due = Clock::now();
    for (auto& c : s.Out)
        due = std::max(due, c.Due);
    s.Out.push_back({due, "\r\nNO CARRIER\r\n", Chunk::Plain});
    s.Out.push_back({due + std::chrono::milliseconds(30), std::string(), Chunk::Close});
}

// A call ends: the side that hung up stays in command mode, the other loses its line.
void EndCall(Side& s, bool hungUpHere) {
    Side* p = s.Peer;
    s.Peer = nullptr;
    s.State = Mode::Command;
    s.EventPending = false;
    if (p)
        Drop(*p);
    if (!hungUpHere)
        Drop(s);
}

void Connect(Side& a, Side& b) {
    a.State = b.State = Mode::Data;
    a.Peer = &b;
    b.Peer = &a;
    a.Sent = b.Sent = 0;
    a.NextFree = b.NextFree = Clock::now();
    a.EventPending = b.EventPending = false;
}

// Data from s towards its peer, through the faults of s and the line's rate and latency.
void Carry(Side& s, const std::string& bytes) {
    Side* p = s.Peer;
    if (!p)
        return;
    if (s.Log)
        std::fwrite(bytes.data(), 1, bytes.size(), s.Log), std::fflush(s.Log);
    const TimePoint now = Clock::now();
    std::string out;
    bool cut = false;
    auto flush = [&] {
        // Paced in small pieces, so a throttled line delivers bytes steadily.
        const size_t piece = Rate > 0 ? std::max<size_t>(1, size_t(Rate / 50)) : out.size();
        for (size_t i = 0; i < out.size(); i += std::max<size_t>(piece, 1)) {
            const std::string part = out.substr(i, piece);
            TimePoint due =
                std::max(now + std::chrono::microseconds((long long)(LatencyMs * 1000)), p->NextFree);
            if (Rate > 0)
                due += std::chrono::microseconds((long long)(part.size() * 1e6 / Rate));
            p->NextFree = due;
            p->Out.push_back({due, part, Chunk::Plain});
        }
        out.clear();
    };
    for (char c : bytes) {
        const unsigned long long at = s.Sent++;
        bool keep = true;
        for (auto& f : s.Faults) {
            if (f.Done)
                continue;
            if (f.What == Fault::Insert && at == f.At) {
                out += f.Bytes;
                f.Done = true;
            } else if (f.What == Fault::Corrupt && at == f.At) {
                c = char(c ^ 0x5A);
                f.Done = true;
            } else if (f.What == Fault::Drop && at >= f.At && at < f.At + f.Count) {
                keep = false;
                f.Done = at + 1 == f.At + f.Count;
            } else if (f.What == Fault::Stall && at == f.At) {
                flush();
                p->NextFree = std::max(p->NextFree, now) + std::chrono::milliseconds(f.Count);
                f.Done = true;
            } else if (f.What == Fault::Cut && at == f.At) {
                cut = true;
                f.Done = true;
            }
        }
        if (cut)
            break;
        if (keep)
            out += c;
    }
    flush();
    if (cut) {
        TimePoint due = std::max(now, p->NextFree);
        p->Out.push_back({due, std::string(), Chunk::Cut});
    }
}

bool ValidDial(const std::string& d) {
    for (char c : d)
        if (!std::isdigit((unsigned char)c) && !std::strchr("*#,W@!wTtPp", c))
            return false;
    return true;
}

void Command(Side& s, std::string line) {
    while (!line.empty() && (line.back() == ' '))
        line.pop_back();
    if (line.empty())
        return;
    std::string up;
    for (char c : line)
        up += char(std::toupper((unsigned char)c));
    if (up.rfind("AT", 0) != 0) {
        Result(s, "ERROR");
        return;
    }
    if (!s.ErrorText.empty() && up.find(s.ErrorText) != std::string::npos) {
        Result(s, "ERROR");
        return;
    }
    size_t i = 2;
    auto digits = [&] {
        while (i < up.size() && std::isdigit((unsigned char)up[i]))
            ++i;
    };
    while (i < up.size()) {
        const char c = up[i++];
        if (c == ' ')
            continue;
        if (c == 'Z') {
            s.Echo = true;
            digits();
        } else if (c == 'E') {
            s.Echo = i < up.size() && up[i] == '1';
            digits();
        } else if (std::strchr("VQXLM", c)) {
            digits();
        } else if (c == '&' && i < up.size() && std::isalpha((unsigned char)up[i])) {
            ++i;
            digits();
        } else if (c == 'S') {
            digits();
            if (i < up.size() && up[i] == '=') {
                ++i;
                digits();
            } else if (i < up.size() && up[i] == '?') {
                ++i;
            } else {
                Result(s, "ERROR");
                return;
            }
        } else if (c == 'H') {
            digits();
            if (s.Peer)
                EndCall(s, true);
            s.State = Mode::Command;
        } else if (c == 'O' && s.State == Mode::Escaped) {
            s.State = Mode::Data;
            Result(s, ConnectText().c_str());
            return;
        } else if (c == 'A') {
            Side* caller = nullptr;
            for (auto& o : Sides)
                if (o->State == Mode::Dialing && o->Peer == &s)
                    caller = o.get();
            if (!caller) {
                Result(s, "NO CARRIER");
                return;
            }
            s.Peer = caller;
            caller->EventPending = false;
            s.State = Mode::Ringing;
            s.NextEvent = Clock::now() + Scaled(1000);
            s.EventPending = true;
            return;
        } else if (c == 'D') {
            std::string number = up.substr(i);
            if (!number.empty() && (number[0] == 'T' || number[0] == 'P'))
                number.erase(0, 1);
            if (!ValidDial(number)) {
                Result(s, "ERROR");
                return;
            }
            std::string wanted;
            for (char d : number)
                if (std::isdigit((unsigned char)d))
                    wanted += d;
            if (NoDialtone) {
                Result(s, "NO DIALTONE");
                return;
            }
            Side* callee = nullptr;
            for (auto& o : Sides)
                if (o.get() != &s && o->Number == wanted)
                    callee = o.get();
            if (Busy || (callee && (callee->Peer || callee->State != Mode::Command))) {
                Result(s, "BUSY");
                return;
            }
            s.State = Mode::Dialing;
            s.Peer = callee;
            s.Rings = 0;
            s.NextEvent = Clock::now() + Scaled(500);
            s.EventPending = true;
            return;
        } else {
            Result(s, "ERROR");
            return;
        }
    }
    Result(s, "OK");
}

void Timers(Side& s, TimePoint now) {
    if (!s.EventPending || now < s.NextEvent)
        return;
    s.EventPending = false;
    if (s.State == Mode::Dialing) {
        Side* callee = s.Peer;
        // A line nobody holds rings unheard until the caller gives up.
        if (!callee || s.Rings >= (NoAnswer ? 3 : 5)) {
            s.Peer = nullptr;
            s.State = Mode::Command;
            Result(s, "NO ANSWER");
            return;
        }
        ++s.Rings;
        if (!NoAnswer && callee->SlaveOpen)
            Result(*callee, "RING");
        s.NextEvent = now + Scaled(2000);
        s.EventPending = true;
    } else if (s.State == Mode::Ringing && s.Peer) {
        Side& caller = *s.Peer;
        Connect(s, caller);
        Result(s, ConnectText().c_str());
        Result(caller, ConnectText().c_str());
    } else if (s.State == Mode::Data && !s.Plus.empty()) {
        // "+++" followed by the guard time: command mode.
        s.Plus.clear();
        s.State = Mode::Escaped;
        Result(s, "OK");
    }
}

void Received(Side& s, const char* data, size_t n) {
    const TimePoint now = Clock::now();
    if (s.State == Mode::Data) {
        std::string bytes(data, n);
        const bool quietBefore = now - s.LastData >= Scaled(1000);
        if (s.Plus.empty() && bytes == "+++" && quietBefore) {
            s.Plus = bytes;
            s.NextEvent = now + Scaled(1000);
            s.EventPending = true;
            s.LastData = now;
            return;
        }
        if (!s.Plus.empty()) {
            bytes = s.Plus + bytes;
            s.Plus.clear();
            s.EventPending = false;
        }
        s.LastData = now;
        Carry(s, bytes);
        return;
    }
    for (size_t k = 0; k < n; ++k) {
        const char c = data[k];
        if (s.Echo)
            Send(s, std::string(1, c));
        if (c == '\r' || c == '\n') {
            const std::string line = s.Line;
            s.Line.clear();
            if (s.State == Mode::Dialing && !line.empty()) {
                // Any command aborts the dialling.
                s.Peer = nullptr;
                s.State = Mode::Command;
                s.EventPending = false;
                Result(s, "NO CARRIER");
                continue;
            }
            Command(s, line);
            if (s.Master < 0)
                return;
        } else if (s.Line.size() < 256) {
            s.Line += c;
        }
    }
}

Fault ParseFault(const std::string& f) {
    Fault r{};
    const size_t at = f.find('@');
    if (at == std::string::npos)
        throw std::runtime_error("fault without @");
    const std::string kind = f.substr(0, at), rest = f.substr(at + 1);
    const size_t colon = rest.find(':');
    r.At = std::stoull(rest.substr(0, colon));
    const std::string arg = colon == std::string::npos ? std::string() : rest.substr(colon + 1);
    if (kind == "cut")
        r.What = Fault::Cut;
    else if (kind == "corrupt")
        r.What = Fault::Corrupt;
    else if (kind == "drop")
        r.What = Fault::Drop, r.Count = arg.empty() ? 1 : std::stoull(arg);
    else if (kind == "stall")
        r.What = Fault::Stall, r.Count = (unsigned long long)(std::stod(arg) * 1000);
    else if (kind == "insert") {
        r.What = Fault::Insert;
        for (size_t i = 0; i + 1 < arg.size(); i += 2)
            r.Bytes += char(std::stoi(arg.substr(i, 2), nullptr, 16));
    } else
        throw std::runtime_error("unknown fault " + kind);
    return r;
}

volatile std::sig_atomic_t Stop = 0;
} // namespace

int main(int argc, char** argv) {
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string a = argv[i];
            auto next = [&]() -> std::string {
                if (i + 1 >= argc)
                    throw std::runtime_error("missing value for " + a);
                return argv[++i];
            };
            auto split = [&](const std::string& v, std::string& name) {
                const size_t eq = v.find('=');
                if (eq == std::string::npos)
                    throw std::runtime_error("expected NAME=VALUE: " + v);
                name = v.substr(0, eq);
                return v.substr(eq + 1);
            };
            std::string name;
            if (a == "--line") {
                const std::string path = split(next(), name);
                auto s = std::make_unique<Side>();
                s->Name = name;
                s->Link = path;
                Sides.push_back(std::move(s));
            } else if (a == "--number") {
                const std::string v = split(next(), name);
                Find(name)->Number = v;
            } else if (a == "--fault") {
                const std::string v = split(next(), name);
                Find(name)->Faults.push_back(ParseFault(v));
            } else if (a == "--error") {
                const std::string v = split(next(), name);
                Find(name)->ErrorText = v;
            } else if (a == "--rate") {
                Rate = std::stod(next());
            } else if (a == "--latency") {
                LatencyMs = std::stod(next());
            } else if (a == "--scale") {
                Scale = std::stod(next());
            } else if (a == "--log") {
                LogDir = next();
            } else if (a == "--busy") {
                Busy = true;
            } else if (a == "--no-dialtone") {
                NoDialtone = true;
            } else if (a == "--no-answer") {
                NoAnswer = true;
            } else if (a == "--connected") {
                StartConnected = true;
            } else {
                throw std::runtime_error("unknown option " + a);
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "modemsim: %s\n", e.what());
        return 2;
    }
    if (Sides.empty() || (StartConnected && Sides.size() != 2)) {
        std::fprintf(stderr, "usage: modemsim --line A=PATH [--number A=N] ... (see the source)\n");
        return 2;
    }
    std::signal(SIGTERM, [](int) { Stop = 1; });
    std::signal(SIGINT, [](int) { Stop = 1; });
    std::signal(SIGPIPE, SIG_IGN);
    for (auto& s : Sides) {
        if (!MakePty(*s)) {
            std::fprintf(stderr, "modemsim: cannot link %s\n", s->Link.c_str());
            return 1;
        }
        if (!LogDir.empty())
            s->Log = std::fopen((LogDir + "/" + s->Name + ".log").c_str(), "wb");
    }
    if (StartConnected)
        Connect(*Sides[0], *Sides[1]);
    std::printf("ready\n");
    std::fflush(stdout);

    std::vector<char> buf(65536);
    while (!Stop) {
        std::vector<pollfd> fds;
        std::vector<Side*> who;
        TimePoint now = Clock::now();
        int wait = 200;
        for (auto& s : Sides) {
            if (!s->SlaveOpen) {
                // A terminal nobody holds reports a hang-up at once: look again soon.
                pollfd p{s->Master, POLLIN, 0};
                const bool event = ::poll(&p, 1, 0) > 0;
                // A terminal never opened shows nothing until it is written to; a side already in
                // data mode takes its peer's bytes without writing first, so any side without a
                // hang-up counts as held there.
                if ((event && !(p.revents & POLLHUP)) || (!event && s->State == Mode::Data))
                    s->SlaveOpen = true;
                else if (event && (p.revents & POLLIN)) {
                    // Bytes left by a terminal that went away are dropped.
                    (void)::read(s->Master, buf.data(), buf.size());
                }
                wait = std::min(wait, 10);
                if (!s->SlaveOpen)
                    continue;
            }
            short ev = POLLIN;
            if (!s->Out.empty()) {
                if (s->Out.front().Due <= now)
                    ev |= POLLOUT;
                else
                    wait = std::min<int>(wait, int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                       s->Out.front().Due - now)
                                                       .count()) +
                                                   1);
            }
            if (s->EventPending)
                wait = std::min<int>(
                    wait, std::max<int>(
                              0, int(std::chrono::duration_cast<std::chrono::milliseconds>(s->NextEvent - now)
                                         .count()) +
                                     1));
            fds.push_back({s->Master, ev, 0});
            who.push_back(s.get());
        }
        const int r = ::poll(fds.data(), fds.size(), std::max(wait, 0));
        if (r < 0 && errno != EINTR)
            break;
        now = Clock::now();
        for (size_t k = 0; k < fds.size(); ++k) {
            Side& s = *who[k];
            if (s.Master != fds[k].fd)
                continue;
            const short re = fds[k].revents;
            if (re & POLLIN) {
                const ssize_t n = ::read(s.Master, buf.data(), buf.size());
                if (n > 0) {
                    Received(s, buf.data(), size_t(n));
                    continue;
                }
            }
            if (re & (POLLHUP | POLLERR)) {
                // The station closed its terminal: DTR is down.
                s.SlaveOpen = false;
                s.Out.clear();
                s.Line.clear();
                s.Echo = true;
                if (s.Peer || s.State != Mode::Command) {
                    Side* p = s.State == Mode::Data || s.State == Mode::Escaped || s.State == Mode::Ringing
                                  ? s.Peer
                                  : nullptr;
                    s.Peer = nullptr;
                    s.State = Mode::Command;
                    s.EventPending = false;
                    if (p)
                        Drop(*p);
                }
                continue;
            }
            while ((re & POLLOUT) && !s.Out.empty() && s.Out.front().Due <= now) {
                Chunk& c = s.Out.front();
                if (c.What == Chunk::Close) {
                    Relink(s);
                    break;
                }
                if (c.What == Chunk::Cut) {
                    s.Out.pop_front();
                    Side* p = s.Peer;
                    Drop(s);
                    if (p)
                        Drop(*p);
                    break;
                }
                const ssize_t n = ::write(s.Master, c.Bytes.data(), c.Bytes.size());
                if (n <= 0)
                    break;
                c.Bytes.erase(0, size_t(n));
                if (!c.Bytes.empty())
                    break;
                s.Out.pop_front();
            }
        }
        for (auto& s : Sides)
            Timers(*s, now);
    }
    for (auto& s : Sides) {
        if (s->Master >= 0)
            ::close(s->Master);
        ::unlink(s->Link.c_str());
        if (s->Log)
            std::fclose(s->Log);
    }
    return 0;
}
