#include "editors/ModuleMenu.h"

#include "editors/RContainerPanel_m.h"
#include "ui/Adapter.h"
#include "ui/MenuItem_m.h"
#include "ui/PopupMenu_m.h"

#include <QKeySequence>

#include <vector>

namespace {

struct TMenuEntry {
    const char* Name;
    const char* Arabic;
    const char* English;
    QKeyCombination Shortcut;
    int Command;
};

const std::vector<TMenuEntry>& MenuEntries(bool KnittingScheme) {
    static const QKeyCombination none = QKeyCombination(Qt::Key_unknown);
    auto make = [](bool z) {
        std::vector<TMenuEntry> e = {
            {"NewITM", "عنصر جديد", "New Item", QKeyCombination(Qt::Key_Insert), ccNewItem},
            {"DeleteITM", "حذف", "Delete", QKeyCombination(Qt::ControlModifier, Qt::Key_Delete), ccDelete},
            {"BRK1", nullptr, nullptr, none, ccNone},
            {"CopyITM", "نسخ", "Copy", QKeyCombination(Qt::ControlModifier, Qt::Key_C), ccCopy},
            {"CutITM", "قص", "Cut", QKeyCombination(Qt::ControlModifier, Qt::Key_X), ccCut},
            {"InsertITM", "إدراج", "Insert", QKeyCombination(Qt::ControlModifier, Qt::Key_V), ccInsert},
            {"PasteITM", "لصق", "Paste", QKeyCombination(Qt::ControlModifier, Qt::Key_B), ccPaste},
        };
        if (z) {
            e.push_back({"InsertMirrorITM", "إدراج معكوس", "Insert mirror", none, ccInsertMirror});
            e.push_back({"PasteMirrorITM", "لصق معكوس", "Paste mirror", none, ccPasteMirror});
        }
        const std::vector<TMenuEntry> rest = {
            {"BRK2", nullptr, nullptr, none, ccNone},
            {"SelectAllITM", "تحديد الكل", "Select all", QKeyCombination(Qt::ControlModifier, Qt::Key_A),
             ccSelectAll},
            {"DeselectAllITM", "إلغاء تحديد الكل", "Deslect all  ",
             QKeyCombination(Qt::ControlModifier, Qt::Key_Q), ccDeselectAll},
            {"InvertSelectionITM", "عكس التحديد", "Invert Selection",
             QKeyCombination(Qt::ControlModifier, Qt::Key_I), ccInvertSelection},
            {"BRK3", nullptr, nullptr, none, ccNone},
            {"SF_ITM", "وظائف خاصة", "Special Functions", QKeyCombination(Qt::Key_F5), ccSpecialFunctions},
            {"DelCont_ITM", "حذف المحتويات", "Delete Contents",
             QKeyCombination(Qt::AltModifier, Qt::Key_Delete), ccDeleteContents},
            {"Goto_ITM", "انتقال إلى", "Go to", QKeyCombination(Qt::Key_F6), ccGoto},
        };
        e.insert(e.end(), rest.begin(), rest.end());
        return e;
    };
    static const std::vector<TMenuEntry> common = make(false), scheme = make(true);
    return KnittingScheme ? scheme : common;
}

} // namespace

int ModuleMenuCommandAt(bool KnittingScheme, int Position) {
    const auto& e = MenuEntries(KnittingScheme);
    return Position >= 0 && Position < int(e.size()) ? e[std::size_t(Position)].Command : ccNone;
}

int ModuleMenuItemCount(bool KnittingScheme) {
    return int(MenuEntries(KnittingScheme).size());
}

MPopupMenu* MakeModulePopupMenu(QObject* Owner, bool KnittingScheme) {
    auto* menu = new MPopupMenu(Owner);
    menu->setObjectName(KnittingScheme ? QStringLiteral("ZPopupMenu") : QStringLiteral("MPopupMenu1"));
    for (const TMenuEntry& entry : MenuEntries(KnittingScheme)) {
        auto* item = new MMenuItem(Owner);
        item->setObjectName(QString::fromLatin1(entry.Name));
        if (!entry.English) {
            item->setSeparator(true);
            // A separator has no caption in any language.
            item->M_Caption().Enable = false;
            item->M_Caption().SetCaptions({QString(), QString()});
        } else {
            item->M_Caption().SetCaptions(
                {QString::fromUtf8(entry.Arabic), QString::fromUtf8(entry.English)});
            item->M_Caption().ApplyCaption(true);
            if (entry.Shortcut.key() != Qt::Key_unknown) {
                item->setShortcut(QKeySequence(entry.Shortcut));
                // The container runs the items' keys itself; the shortcut only shows on the item.
                item->setShortcutContext(Qt::WidgetShortcut);
            }
        }
        menu->addAction(item);
    }
    return menu;
}
