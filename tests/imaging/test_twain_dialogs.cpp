// The scanner's dialogs as they look, over a source and a device list of the test's own: numbers
// of fixed-point options and the columns of the selection.

#include "imaging/TwainDialogs.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>

namespace {
// A source with fixed-point options only, whose values are kept as set.
class TFixedSource : public TTwainSource {
public:
    std::map<QString, double> Values{{QStringLiteral("resolution"), 50.0}, {QStringLiteral("tl-x"), 0.0}};
    QString DeviceName() const override { return QStringLiteral("fixed"); }
    std::vector<TTwainOption> Options() override {
        std::vector<TTwainOption> options;
        for (const auto& [name, unit] : {std::pair{"resolution", "dpi"}, std::pair{"tl-x", "mm"}}) {
            TTwainOption o;
            o.Name = o.Title = QString::fromLatin1(name);
            o.Type = TTwainOption::Fixed;
            o.Unit = QString::fromLatin1(unit);
            o.Constraint = TTwainOption::Range;
            o.Min = 0;
            o.Max = 1200;
            options.push_back(o);
        }
        return options;
    }
    QVariant Value(const QString& Name) override { return Values[Name]; }
    bool SetValue(const QString& Name, const QVariant& Value, bool& Reload) override {
        Values[Name] = Value.toDouble();
        Reload = false;
        return true;
    }
    void Scan() override {}
    void Close() override {}
    bool Running() const override { return true; }
};
} // namespace

// A whole value shows without decimals, another with the decimals it has, at most two; what the
// user types in either form is taken.
TEST(TwainDialogsLook, FixedPointValuesShowTheirDecimalsOnly) {
    TFixedSource source;
    TTwainSourceDialog dialog(nullptr, source);
    auto* resolution = qobject_cast<QDoubleSpinBox*>(dialog.Control(QStringLiteral("resolution")));
    auto* left = qobject_cast<QDoubleSpinBox*>(dialog.Control(QStringLiteral("tl-x")));
    ASSERT_NE(resolution, nullptr);
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(resolution->text(), QStringLiteral("50 dpi"));
    EXPECT_EQ(left->text(), QStringLiteral("0 mm"));
    const std::pair<double, const char*> cases[] = {{75.5, "75.5 dpi"},
                                                    {12.25, "12.25 dpi"},
                                                    {1200, "1200 dpi"},

                                                    {0.5, "0.5 dpi"}};
    for (const auto& [value, text] : cases) {
        resolution->setValue(value);
        EXPECT_EQ(resolution->text(), QString::fromLatin1(text)) << value;
    }
    for (const char* typed : {"300", "62.5"}) {
        resolution->findChild<QLineEdit*>()->setText(QString::fromLatin1(typed) + QStringLiteral(" dpi"));
        resolution->interpretText();
        EXPECT_DOUBLE_EQ(source.Values[QStringLiteral("resolution")], QString::fromLatin1(typed).toDouble());
    }
}

// The Name, Vendor and Model columns are as wide as their widest entry, shown in the dialog's font.
TEST(TwainDialogsLook, SelectionColumnsFitTheirEntries) {
    const std::vector<TTwainDevice> devices = {
        {QStringLiteral("net:scanhost.example:epson2:libusb:001:004"),
         QStringLiteral("Seiko Epson Corporation"), QStringLiteral("Perfection V39 flatbed scanner"),
         QStringLiteral("flatbed scanner")},
        {QStringLiteral("test:0"), QStringLiteral("Noname"), QStringLiteral("frontend-tester"),
         QStringLiteral("virtual device")}};
    TTwainSelectDialog dialog(nullptr, devices, QStringLiteral("test:0"));
    dialog.show();
    QApplication::processEvents();
    const QFontMetrics metrics(dialog.List->font());
    for (int c = 0; c < 3; ++c) {
        int widest = 0;
        for (int i = 0; i < dialog.List->topLevelItemCount(); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(dialog.List->topLevelItem(i)->text(c)));
        EXPECT_GT(dialog.List->columnWidth(c), widest) << c;
    }
}
