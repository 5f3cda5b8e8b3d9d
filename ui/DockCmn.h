#pragma once
// Services shared by the docks, tool windows and toolbar buttons: the hook registry through which
// they follow the application's activation, its top-level windows and the pointer; the list sort;
// the active-window test; pumping pending repaints; the work areas of the screens; the dock-position
// variable that lets buttons ask where their toolbar is docked.

#include <QList>
#include <QPoint>
#include <QRect>

#include <functional>
#include <utility>
#include <vector>

class QEvent;
class QObject;
class QWidget;

// ---- Hooks.
// Kind 0: the application was activated or deactivated (Window is the application object).
// Kind 1: a top-level window was shown, hidden, moved, resized, minimised or restored.
// Kind 2: a top-level window is being destroyed (Event is null).
// Kind 3: a pointer move from the window system reached one of the application's windows (moves
// sent straight to a widget do not count).
enum THookKind { hkActivateApp = 0, hkWindowChanged = 1, hkDestroyWindow = 2, hkMouseMove = 3 };
using THookKinds = unsigned;
constexpr THookKinds HookKind(THookKind Kind) {
    return 1u << unsigned(Kind);
}
using THookProc = void (*)(THookKind Kind, QObject* Window, QEvent* Event);

// Registers Proc for Kinds. A procedure registered again counts up and uses its kinds again; with
// OnlyIncrementCount the kinds' use counts are left alone. Procedures are called in registration
// order; one application event filter is installed while any kind is in use.
void RegisterHook(THookProc Proc, THookKinds Kinds, bool OnlyIncrementCount = false);
// Counts Proc down (its entry goes at 0) and its kinds' use counts down (not below 0); the filter is
// removed when no kind is in use.
void UnregisterHook(THookProc Proc);
// For tests: the use count of a kind, the registration count of a procedure, whether the filter is
// installed.
int HookUseCount(THookKind Kind);
int HookRegistrationCount(THookProc Proc);
bool HookFilterInstalled();

// ---- Sorting: a quicksort with the middle element as pivot; Compare(a, b) answers negative, 0 or
// positive. The order of equal items is not kept.
template <typename T, typename Compare>
void SortList(std::vector<T>& List, Compare Cmp) {
    std::function<void(int, int)> sort = [&](int L, int R) {
        while (L < R) {
            int i = L, j = R;
            const T pivot = List[std::size_t((L + R) / 2)];
            while (i <= j) {
                while (Cmp(List[std::size_t(i)], pivot) < 0)
                    ++i;
                while (Cmp(List[std::size_t(j)], pivot) > 0)
                    --j;
                if (i <= j) {
                    std::swap(List[std::size_t(i)], List[std::size_t(j)]);
                    ++i;
                    --j;
                }
            }
            // Recurse into the smaller part, loop on the larger: the stack stays logarithmic.
            if (j - L < R - i) {
                sort(L, j);
                L = i;
            } else {
                sort(i, R);
                R = j;
            }
        }
    };
    if (List.size() >= 2)
        sort(0, int(List.size()) - 1);
}

// True when one of the application's windows is the active window.
bool AppHasActiveWindow();
// Sends the pending repaint requests now.
void PumpPaintMessages();

// ---- Work areas: the available geometry of each screen, the primary first. Tests replace the
// provider; the default asks the screens.
using TWorkAreaProvider = std::function<QList<QRect>()>;
void SetWorkAreaProvider(TWorkAreaProvider Provider);
QRect PrimaryWorkArea();
bool MoreThanOneMonitor();
// The work area of the screen nearest to R (most overlap, else least distance) or to P.
QRect WorkAreaOfRect(const QRect& R);
QRect WorkAreaOfPoint(const QPoint& P);

// ---- The dock position of the nearest tool window at or above a control: 0 top, 1 bottom, 2 left,
// 3 right, 4 when it is not docked. Empty until the first tool window is made.
using TDockPositionOfProc = int (*)(QWidget* Control);
extern TDockPositionOfProc DockPositionOfProc;
