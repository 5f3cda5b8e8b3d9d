// The looks of the Special Functions and Go-to dialogs: each label's line of text sits on the line
// of the edit it names.

#include "editors/NumEdit_m.h"
#include "editors/SpecFuncForm.h"
#include "ui/label_m.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace {
// The top and bottom rows of ink (at least half dark) in a rectangle of a picture, within the
// first letter: the columns of ink up to the first column without any.
std::pair<int, int> FirstLetterRows(const QImage& Image, const QRect& R) {
    int top = INT_MAX, bottom = -1;
    bool inLetter = false;
    for (int x = R.left(); x <= R.right(); ++x) {
        bool ink = false;
        for (int y = R.top(); y <= R.bottom(); ++y)
            if (qGray(Image.pixel(x, y)) < 128) {
                ink = true;
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        if (inLetter && !ink)
            break;
        inLetter = inLetter || ink;
    }
    return {top, bottom};
}

// Every shown label of a page with the edit to its right on the same line, filled with "10", and
// the rows of the first letter of each: the label's and the edit's.
void ExpectLabelsOnTheirEditsLine(QWidget* Page) {
    std::vector<std::pair<MLabel*, MNumEdit*>> pairs;
    for (MLabel* l : Page->findChildren<MLabel*>()) {
        if (l->isHidden())
            continue;
        MNumEdit* edit = nullptr;
        for (MNumEdit* e : Page->findChildren<MNumEdit*>())
            if (!e->isHidden() && e->x() > l->x() && e->geometry().top() <= l->geometry().center().y() &&
                e->geometry().bottom() >= l->geometry().center().y() && (!edit || e->x() < edit->x()))
                edit = e;
        ASSERT_NE(edit, nullptr) << l->Caption().toStdString();
        edit->setText(QStringLiteral("10"));
        edit->clearFocus(); // no cursor beside the digits
        pairs.emplace_back(l, edit);
    }
    ASSERT_FALSE(pairs.empty());
    QApplication::processEvents();
    const QImage image = Page->grab().toImage();
    for (const auto& [label, edit] : pairs) {
        const auto text = FirstLetterRows(image, label->geometry());
        const auto digits = FirstLetterRows(image, edit->geometry().adjusted(3, 3, -3, -3));
        EXPECT_EQ(text, digits) << label->Caption().toStdString();
    }
}
} // namespace

TEST(SpecialFunctionsLook, EachLabelSitsOnTheLineOfItsEdit) {
    TSpecialFuncForm form;
    form.SetLineOptions(true);
    form.show();
    QApplication::processEvents();
    ExpectLabelsOnTheirEditsLine(form.CopySheet);

    TGoToForm go;
    go.show();
    QApplication::processEvents();
    ExpectLabelsOnTheirEditsLine(&go);
}
