#include "ui/DockCmn.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cstdint>

TDockPositionOfProc DockPositionOfProc = nullptr;

namespace {

struct HookEntry {
    THookProc Proc;
    int Count;
    THookKinds Kinds;
};

class HookFilter : public QObject {
public:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
};

struct HookRegistry {
    std::vector<HookEntry> Entries;
    int Use[4] = {0, 0, 0, 0};
    QPointer<HookFilter> Filter;
    // The top-level widgets whose destruction kind 2 reports.
    QSet<QObject*> Seen;
    // Whether one of the application's windows was active when last looked at.
    bool Active = false;
};

HookRegistry& Registry() {
    static HookRegistry registry;
    return registry;
}

void CallHooks(THookKind Kind, QObject* Window, QEvent* Event) {
    // A procedure may register or unregister while it runs: work on a copy and skip entries that
    // went away meanwhile.
    const std::vector<HookEntry> entries = Registry().Entries;
    for (const HookEntry& e : entries) {
        if ((e.Kinds & HookKind(Kind)) == 0)
            continue;
        const auto& now = Registry().Entries;
        if (std::none_of(now.begin(), now.end(), [&](const HookEntry& n) { return n.Proc == e.Proc; }))
            continue;
        e.Proc(Kind, Window, Event);
    }
}

void RemoveFilter() {
    HookRegistry& r = Registry();
    if (r.Filter) {
        if (qApp)
            qApp->removeEventFilter(r.Filter);
        delete r.Filter.data();
    }
    r.Filter = nullptr;
    r.Seen.clear();
}

// At program end the filter goes and the list is emptied.
void ProgramEnd() {
    RemoveFilter();
    HookRegistry& r = Registry();
    r.Entries.clear();
    std::fill(std::begin(r.Use), std::end(r.Use), 0);
}

void UpdateFilter() {
    HookRegistry& r = Registry();
    const bool inUse = std::any_of(std::begin(r.Use), std::end(r.Use), [](int n) { return n > 0; });
    if (inUse && !r.Filter && qApp) {
        static bool postRoutine = false;
        if (!postRoutine) {
            qAddPostRoutine(ProgramEnd);
            postRoutine = true;
        }
        r.Filter = new HookFilter;
        r.Active = AppHasActiveWindow();
        qApp->installEventFilter(r.Filter);
    } else if (!inUse && r.Filter) {
        RemoveFilter();
    }
}

void UseKinds(THookKinds Kinds, int Delta) {
    HookRegistry& r = Registry();
    for (int k = 0; k < 4; ++k)
        if (Kinds & (1u << unsigned(k)))
            r.Use[k] = std::max(r.Use[k] + Delta, 0);
    UpdateFilter();
}

bool HookFilter::eventFilter(QObject* Watched, QEvent* Event) {
    HookRegistry& r = Registry();
    const QEvent::Type type = Event->type();
    // The application's activation: whether any of its windows is active, followed through the
    // application's and the windows' activation events.
    const bool application =
        Watched == qApp && (type == QEvent::ApplicationActivate || type == QEvent::ApplicationDeactivate);
    const bool window = (type == QEvent::WindowActivate || type == QEvent::WindowDeactivate) &&
                        Watched->isWidgetType() && static_cast<QWidget*>(Watched)->isWindow();
    if (application || window) {
        const bool active = AppHasActiveWindow();
        if (active != r.Active) {
            r.Active = active;
            if (r.Use[hkActivateApp] > 0)
                CallHooks(hkActivateApp, qApp, Event);
        }
    }
    if (Watched == qApp)
        return false;
    if (type == QEvent::MouseMove && Event->spontaneous() && Watched->isWindowType()) {
        if (r.Use[hkMouseMove] > 0)
            CallHooks(hkMouseMove, Watched, Event);
        return false;
    }
    if (!Watched->isWidgetType() || !static_cast<QWidget*>(Watched)->isWindow())
        return false;
    if (r.Use[hkDestroyWindow] > 0 && !r.Seen.contains(Watched)) {
        r.Seen.insert(Watched);
        QObject::connect(Watched, &QObject::destroyed, this, [Watched] {
            Registry().Seen.remove(Watched);
            if (Registry().Use[hkDestroyWindow] > 0)
                CallHooks(hkDestroyWindow, Watched, nullptr);
        });
    }
    switch (type) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        if (r.Use[hkWindowChanged] > 0)
            CallHooks(hkWindowChanged, Watched, Event);
        break;
    default:
        break;
    }
    return false;
}

} // namespace

void RegisterHook(THookProc Proc, THookKinds Kinds, bool OnlyIncrementCount) {
    HookRegistry& r = Registry();
    auto it =
        std::find_if(r.Entries.begin(), r.Entries.end(), [&](const HookEntry& e) { return e.Proc == Proc; });
    if (it != r.Entries.end()) {
        ++it->Count;
        if (!OnlyIncrementCount)
            UseKinds(it->Kinds, +1);
        return;
    }
    r.Entries.push_back({Proc, 1, Kinds});
    if (!OnlyIncrementCount)
        UseKinds(Kinds, +1);
}

void UnregisterHook(THookProc Proc) {
    HookRegistry& r = Registry();
    auto it =
        std::find_if(r.Entries.begin(), r.Entries.end(), [&](const HookEntry& e) { return e.Proc == Proc; });
    if (it == r.Entries.end())
        return;
    const THookKinds kinds = it->Kinds;
    if (--it->Count <= 0)
        r.Entries.erase(it);
    UseKinds(kinds, -1);
}

int HookUseCount(THookKind Kind) {
    return Registry().Use[Kind];
}

int HookRegistrationCount(THookProc Proc) {
    for (const HookEntry& e : Registry().Entries)
        if (e.Proc == Proc)
            return e.Count;
    return 0;
}

bool HookFilterInstalled() {
    return !Registry().Filter.isNull();
}

bool AppHasActiveWindow() {
    return QApplication::activeWindow() != nullptr;
}

void PumpPaintMessages() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
}

// ---- Work areas.

namespace {
TWorkAreaProvider& Provider() {
    static TWorkAreaProvider provider;
    return provider;
}

QList<QRect> WorkAreas() {
    QList<QRect> areas;
    if (Provider()) {
        areas = Provider()();
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (QScreen* primary = QGuiApplication::primaryScreen())
            areas.append(primary->availableGeometry());
        for (QScreen* s : QGuiApplication::screens())
            if (s != QGuiApplication::primaryScreen())
                areas.append(s->availableGeometry());
    }
    if (areas.isEmpty())
        areas.append(QRect(0, 0, 640, 480));
    return areas;
}

std::int64_t Distance(const QRect& A, const QPoint& P) {
    const std::int64_t dx = P.x() < A.x() ? A.x() - P.x() : (P.x() > A.right() ? P.x() - A.right() : 0);
    const std::int64_t dy = P.y() < A.y() ? A.y() - P.y() : (P.y() > A.bottom() ? P.y() - A.bottom() : 0);
    return dx * dx + dy * dy;
}

std::int64_t Distance(const QRect& A, const QRect& R) {
    const std::int64_t dx =
        R.right() < A.x() ? A.x() - R.right() : (R.x() > A.right() ? R.x() - A.right() : 0);
    const std::int64_t dy =
        R.bottom() < A.y() ? A.y() - R.bottom() : (R.y() > A.bottom() ? R.y() - A.bottom() : 0);
    return dx * dx + dy * dy;
}
} // namespace

void SetWorkAreaProvider(TWorkAreaProvider P) {
    Provider() = std::move(P);
}

QRect PrimaryWorkArea() {
    return WorkAreas().first();
}

bool MoreThanOneMonitor() {
    return WorkAreas().size() > 1;
}

QRect WorkAreaOfRect(const QRect& R) {
    const QList<QRect> areas = WorkAreas();
    if (areas.size() == 1)
        return areas.first();
    QRect best = areas.first();
    std::int64_t bestOverlap = -1, bestDistance = INT64_MAX;
    for (const QRect& a : areas) {
        const QRect i = a.intersected(R);
        const std::int64_t overlap = i.isEmpty() ? 0 : std::int64_t(i.width()) * i.height();
        if (overlap > 0 && overlap > bestOverlap) {
            best = a;
            bestOverlap = overlap;
        } else if (bestOverlap <= 0 && overlap == 0) {
            const std::int64_t d = Distance(a, R);
            if (d < bestDistance) {
                best = a;
                bestDistance = d;
            }
        }
    }
    return best;
}

QRect WorkAreaOfPoint(const QPoint& P) {
    const QList<QRect> areas = WorkAreas();
    QRect best = areas.first();
    std::int64_t bestDistance = INT64_MAX;
    for (const QRect& a : areas) {
        const std::int64_t d = Distance(a, P);
        if (d < bestDistance) {
            best = a;
            bestDistance = d;
        }
    }
    return best;
}
