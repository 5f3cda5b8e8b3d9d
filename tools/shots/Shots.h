#pragma once
// The screenshot tool's scenes. Every window, panel and control of the station can be built alone,
// shown offscreen in either language and saved as a picture: a scene builds the widget, the tool
// shows it, lets it settle, grabs it and writes a PNG.
//
// A scene lives in a source file of its own, tools/shots/scenes_<area>.cpp, and registers itself:
//
//     KDS_SHOT_SCENE("message-box", "The numbered message box with three buttons") {
//         auto box = std::make_unique<TMessageBox>(QString());
//         ...
//         return box;
//     }
//
// Inside the body `ctx` is the scene's shots::Context.

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace shots {
struct Context {
    // The language the scene is shown in: 0 Arabic (right to left), 1 English. The program's
    // language pack is already switched to it when the scene is built.
    int Language = 1;
    // The optional FILE argument of the command line (empty when none was given).
    QString File;
    // A scratch folder that lives until the picture is written.
    QString TempFolder;
    // Called once the widget is shown and has settled, before it is grabbed: a scene may open a
    // popup, move the focus or scroll here.
    std::function<void(QWidget*)> AfterShow;
    // The size the widget is given before it is shown; an empty size keeps the widget's own.
    QSize Size;
    // Takes the picture instead of the widget's own grab: a scene with a popup (a window of its own)
    // draws the popup into the picture where it stands.
    std::function<QImage(QWidget*)> Grab;
};

using Maker = std::function<std::unique_ptr<QWidget>(Context&)>;

struct Scene {
    QString Name;
    QString Description;
    Maker Make;
};

// Adds a scene; answers true so that it can initialise a static.
bool Register(const QString& Name, const QString& Description, Maker Make);
// Every scene, sorted by name.
std::vector<Scene> Scenes();

// The folder of the station's run-time files (catalogue, bitmaps) that the tool reads.
QString ResourceFolder();
} // namespace shots

#define KDS_SHOT_CAT2(a, b) a##b
#define KDS_SHOT_CAT(a, b) KDS_SHOT_CAT2(a, b)
#define KDS_SHOT_SCENE(NAME, DESCRIPTION)                                                                    \
    static std::unique_ptr<QWidget> KDS_SHOT_CAT(kdsShotMake, __LINE__)(shots::Context & ctx);               \
    [[maybe_unused]] static const bool KDS_SHOT_CAT(kdsShotRegistered, __LINE__) = shots::Register(          \
        QStringLiteral(NAME), QStringLiteral(DESCRIPTION), &KDS_SHOT_CAT(kdsShotMake, __LINE__));            \
    static std::unique_ptr<QWidget> KDS_SHOT_CAT(kdsShotMake, __LINE__)([[maybe_unused]] shots::Context & ctx)
