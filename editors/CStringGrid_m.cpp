#include "editors/CStringGrid_m.h"

#include "platform/ColorQt.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr TColor ClrRed = 0x0000FF;
constexpr TColor ClrBlue = 0xFF0000;
constexpr TColor ClrGreen = 0x008000;
constexpr TColor ClrBlack = 0x000000;

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A text read as a number: empty, "-" and "+" are 0, otherwise an optional sign and decimal digits.
std::optional<long long> ReadNumber(const QString& Text) {
    if (Text.isEmpty() || Text == u"-" || Text == u"+")
        return 0;
    int i = (Text[0] == u'-' || Text[0] == u'+') ? 1 : 0;
    if (i == Text.size() || Text.size() - i > 15)
        return std::nullopt;
    for (int k = i; k < Text.size(); ++k)
        if (!IsDigit(Text[k]))
            return std::nullopt;
    const long long v = Text.mid(i).toLongLong();
    return Text[0] == u'-' ? -v : v;
}

// The sign ("-" before a negative value, with Plus a "+" otherwise), leading zeros to Digits digits,
// then the magnitude.
QString FormatNumber(long long Value, int Digits, bool Plus) {
    const long long mag = Value < 0 ? -Value : Value;
    QString s = Value < 0 ? QStringLiteral("-") : (Plus ? QStringLiteral("+") : QString());
    long long limit = 10;
    for (int k = 1; k < Digits; ++k, limit *= 10)
        if (mag < limit)
            s += u'0';
    return s + QString::number(mag);
}

bool HasSign(const QString& Text) {
    return !Text.isEmpty() && (Text[0] == u'+' || Text[0] == u'-');
}

TGridKeyResult Ignore() {
    return {TGridKeyResult::Ignore, {}};
}
TGridKeyResult Pass(const QString& Typed = {}) {
    return {TGridKeyResult::Pass, Typed};
}
TGridKeyResult End(const QString& Text) {
    return {TGridKeyResult::EndEdit, Text};
}

bool IsEnter(int Key) {
    return Key == Qt::Key_Return || Key == Qt::Key_Enter;
}

// Digits and Backspace of the counted kinds: Count characters are held already.
TGridKeyResult DigitKey(int Key, qsizetype Count, int Digits, bool AllSelected) {
    if (Key == Qt::Key_Backspace)
        return Pass();
    if (Count >= Digits && !AllSelected)
        return Ignore();
    return Pass(QString(QChar(Key)));
}

// The keys of a column whose values may lead with one of two prefixes (signs "+" and "-", or sides
// "R" and "L"): digits not counting the prefix, a prefix typed replacing or leading, Space swapping
// them (Second put in front of a text without one); the prefix keys and Space end the edit.
TGridKeyResult PrefixedKey(int Key, const QString& Text, int Digits, bool AllSelected, QChar First,
                           QChar Second) {
    const bool prefixed = !Text.isEmpty() && (Text[0] == First || Text[0] == Second);
    if (IsEnter(Key))
        return Pass();
    if ((Key >= '0' && Key <= '9') || Key == Qt::Key_Backspace)
        return DigitKey(Key, Text.size() - (prefixed ? 1 : 0), Digits, AllSelected);
    if (Key == First.unicode() || Key == Second.unicode()) {
        if (Text.isEmpty())
            return Pass(QString(QChar(Key)));
        return End(QString(QChar(Key)) + (prefixed ? Text.mid(1) : Text));
    }
    if (Key == ' ' && !Text.isEmpty()) {
        if (Text[0] == First)
            return End(Second + Text.mid(1));
        if (Text[0] == Second)
            return End(First + Text.mid(1));
        return End(Second + Text);
    }
    return Ignore();
}

} // namespace

std::optional<QString> GridCanonicalText(int Kind, int Digits, const QString& Text) {
    switch (Kind) {
    case 0:
    case 1: {
        const auto v = ReadNumber(Text);
        if (!v)
            return std::nullopt;
        return FormatNumber(*v, Digits, false);
    }
    case 2:
    case 3:
    case 4: {
        auto v = ReadNumber(Text);
        if (!v)
            return std::nullopt;
        // A text without a sign is negative in kind 3. A zero already of the stated length (a sign and
        // D digits) keeps its sign, so "-000" stays red: the canonical form of a canonical text is that
        // text again.
        const bool minusZero = *v == 0 && Text.size() == Digits + 1 && Text[0] == u'-';
        if ((Kind == 3 && !HasSign(Text)) || minusZero)
            return QStringLiteral("-") + FormatNumber(*v, Digits, false);
        return FormatNumber(*v, Digits, true);
    }
    case 5:
        if (Text.isEmpty() || Text == u"I")
            return Text;
        return std::nullopt;
    case 6: {
        const bool left = !Text.isEmpty() && (Text[0] == u'L' || Text[0] == u'l');
        const bool right = !Text.isEmpty() && (Text[0] == u'R' || Text[0] == u'r');
        const auto v = ReadNumber(left || right ? Text.mid(1) : Text);
        if (!v)
            return std::nullopt;
        return QString(left ? u'L' : u'R') + FormatNumber(*v, Digits, false);
    }
    case 7:
        if (Text == u"G" || Text == u"U1" || Text == u"U2")
            return Text;
        return QStringLiteral("G");
    case 8:
        if (Text.isEmpty() || (Text.size() == 1 && Text[0] >= u'1' && Text[0] <= u'8'))
            return Text;
        return std::nullopt;
    default:
        return Text;
    }
}

std::optional<TColor> GridTextColor(int Kind, const QString& Text) {
    switch (Kind) {
    case 2:
    case 3:
    case 4:
        return Text.startsWith(u'-') ? ClrRed : ClrBlack;
    case 5:
        if (Text.isEmpty())
            return std::nullopt;
        return ClrBlue;
    case 6:
        return Text.startsWith(u'L') ? ClrBlue : ClrGreen;
    case 7:
        if (Text == u"U1")
            return ClrGreen;
        if (Text == u"U2")
            return ClrBlue;
        return ClrRed;
    default:
        return std::nullopt;
    }
}

TGridKeyResult GridFilterKey(int Kind, int Digits, int Row, const QString& Text, bool AllSelected, int Key) {
    const bool enter = IsEnter(Key);
    const bool digit = Key >= '0' && Key <= '9';
    switch (Kind) {
    case 0:
        if (enter)
            return Pass();
        if (digit || Key == Qt::Key_Backspace)
            return DigitKey(Key, Text.size(), Digits, AllSelected);
        return Ignore();
    case 3:
    case 4:
        return PrefixedKey(Key, Text, Digits, AllSelected, u'+', u'-');
    case 5: {
        QString t = Text;
        if ((Key == ' ' || Key == 'I' || Key == 'i') && Row >= 1 && Row <= 6) {
            if (t == u"I")
                t.clear();
            else if (t.isEmpty())
                t = QStringLiteral("I");
        }
        return End(t);
    }
    case 6: {
        if (Key == 'r')
            Key = 'R';
        else if (Key == 'l')
            Key = 'L';
        return PrefixedKey(Key, Text, Digits, AllSelected, u'R', u'L');
    }
    case 7:
        if (Key != ' ')
            return End(Text);
        if (Text == u"G")
            return End(QStringLiteral("U1"));
        if (Text == u"U1")
            return End(QStringLiteral("U2"));
        return End(QStringLiteral("G"));
    case 8:
        if (enter)
            return Pass();
        if (Key == Qt::Key_Backspace)
            return Pass();
        if (Key >= '1' && Key <= '8')
            return Text.isEmpty() ? Pass(QString(QChar(Key))) : Ignore();
        if (Key == ' ') {
            if (Text.isEmpty())
                return End(QStringLiteral("1"));
            if (Text.size() == 1 && Text[0] >= u'1' && Text[0] <= u'7')
                return End(QString(QChar(Text[0].unicode() + 1)));
            return End(QString());
        }
        return Ignore();
    default: // 1, 2: shown only
        return End(Text);
    }
}

// ---- The delegate: the canonical texts in their colours, centred; the editor's keys to the grid.

class MCStringGridDelegate : public QStyledItemDelegate {
public:
    explicit MCStringGridDelegate(MCStringGrid* Grid) : QStyledItemDelegate(Grid), FGrid(Grid) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override {
        if (FGrid->IsFixed(Index.column(), Index.row())) {
            QStyledItemDelegate::paint(Painter, Option, Index);
            return;
        }
        QStyleOptionViewItem opt = Option;
        initStyleOption(&opt, Index);
        const int kind = FGrid->KindOf(Index.column());
        opt.text = FGrid->ShownText(Index.column(), Index.row());
        opt.displayAlignment = Qt::AlignCenter;
        // Values read left to right in both languages: a sign stays in front of its digits.
        opt.direction = Qt::LeftToRight;
        if (const auto c = GridTextColor(kind, opt.text)) {
            opt.palette.setColor(QPalette::Text, toQColor(*c));
            opt.palette.setColor(QPalette::HighlightedText, toQColor(*c));
        }
        const QWidget* w = Option.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, Painter, w);
    }

    QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* e = new QLineEdit(Parent);
        e->setFrame(false);
        e->setAlignment(Qt::AlignCenter);
        e->setLayoutDirection(Qt::LeftToRight);
        QObject::connect(e, &QLineEdit::textEdited, FGrid,
                         [g = FGrid](const QString& t) { g->EditorTextChanged(t); });
        return e;
    }

    void setEditorData(QWidget* Editor, const QModelIndex& Index) const override {
        auto* e = static_cast<QLineEdit*>(Editor);
        e->setText(FGrid->Cells(Index.column(), Index.row()));
        e->selectAll();
    }

    void setModelData(QWidget* Editor, QAbstractItemModel*, const QModelIndex&) const override {
        FGrid->CommitEdit(static_cast<QLineEdit*>(Editor)->text());
    }

protected:
    bool eventFilter(QObject* Object, QEvent* Event) override {
        if (Event->type() == QEvent::KeyPress && FGrid->EditorKey(static_cast<QKeyEvent*>(Event)))
            return true;
        return QStyledItemDelegate::eventFilter(Object, Event);
    }

private:
    MCStringGrid* FGrid;
};

namespace {
// The key a key event types: its character, or Backspace and Enter; 0 for the editor's own keys
// (navigation, shortcuts).
int TypedKey(const QKeyEvent* Event) {
    switch (Event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Event->key();
    default:
        break;
    }
    if (Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return 0;
    const QString t = Event->text();
    if (t.size() != 1 || !t[0].isPrint())
        return 0;
    return t[0].unicode();
}
} // namespace

MCStringGrid::MCStringGrid(QWidget* Owner) : QTableWidget(Owner) {
    ColumnDigits.fill(3);
    setItemDelegate(new MCStringGridDelegate(this));
    setEditTriggers(QAbstractItemView::DoubleClicked);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnCount(5);
    setRowCount(5);
    ApplyFixedFlags();
}

int MCStringGrid::KindOf(int ACol) const {
    return ACol >= 0 && ACol < GridMaxColumns ? ColumnKind[std::size_t(ACol)] : 0;
}

int MCStringGrid::DigitsOf(int ACol) const {
    return ACol >= 0 && ACol < GridMaxColumns ? ColumnDigits[std::size_t(ACol)] : 3;
}

void MCStringGrid::SetColCount(int Value) {
    setColumnCount(std::clamp(Value, 0, GridMaxColumns));
    ApplyFixedFlags();
}

void MCStringGrid::SetRowCount(int Value) {
    setRowCount(std::max(Value, 0));
    ApplyFixedFlags();
}

void MCStringGrid::SetFixedRows(int Value) {
    FFixedRows = std::max(Value, 0);
    ApplyFixedFlags();
}

void MCStringGrid::SetFixedCols(int Value) {
    FFixedCols = std::max(Value, 0);
    ApplyFixedFlags();
}

void MCStringGrid::SetDefaultRowHeight(int Height) {
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(Height);
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, Height);
}

void MCStringGrid::SetEditingAllowed(bool Value) {
    FEditing = Value;
    if (!Value && EditorShown())
        HideEditor();
    setEditTriggers(Value ? QAbstractItemView::DoubleClicked : QAbstractItemView::NoEditTriggers);
    ApplyFixedFlags();
}

void MCStringGrid::SetRangeSelect(bool Value) {
    setSelectionMode(Value ? QAbstractItemView::ContiguousSelection : QAbstractItemView::SingleSelection);
}

// Every cell has an item; the fixed ones are neither selected nor edited and wear the button face.
void MCStringGrid::ApplyFixedFlags() {
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c) {
            QTableWidgetItem* it = item(r, c);
            if (!it) {
                it = new QTableWidgetItem;
                setItem(r, c, it);
            }
            if (IsFixed(c, r)) {
                it->setFlags(Qt::ItemIsEnabled);
                it->setBackground(palette().button());
                it->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            } else {
                Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
                if (FEditing)
                    f |= Qt::ItemIsEditable;
                it->setFlags(f);
                it->setData(Qt::BackgroundRole, QVariant());
            }
        }
}

QString MCStringGrid::Cells(int ACol, int ARow) const {
    const QTableWidgetItem* it = item(ARow, ACol);
    return it ? it->text() : QString();
}

void MCStringGrid::SetCells(int ACol, int ARow, const QString& Value) {
    QTableWidgetItem* it = item(ARow, ACol);
    if (!it)
        return;
    QString t = Value;
    if (!IsFixed(ACol, ARow))
        if (const auto c = GridCanonicalText(KindOf(ACol), DigitsOf(ACol), Value))
            t = *c;
    it->setText(t);
}

QString MCStringGrid::ShownText(int ACol, int ARow) const {
    const QString t = Cells(ACol, ARow);
    if (IsFixed(ACol, ARow))
        return t;
    return GridCanonicalText(KindOf(ACol), DigitsOf(ACol), t).value_or(t);
}

bool MCStringGrid::EditorShown() const {
    return state() == QAbstractItemView::EditingState && indexWidget(currentIndex()) != nullptr;
}

void MCStringGrid::ShowEditor() {
    if (!FEditing || EditorShown() || IsFixed(Col(), Row()) || Col() < 0 || Row() < 0)
        return;
    FEditBefore = Cells(Col(), Row());
    edit(currentIndex());
}

void MCStringGrid::HideEditor() {
    QWidget* e = indexWidget(currentIndex());
    if (!e || state() != QAbstractItemView::EditingState)
        return;
    commitData(e);
    closeEditor(e, QAbstractItemDelegate::NoHint);
    setFocus();
}

void MCStringGrid::Notify(int ACol, int ARow, const QString& Value) {
    if (OnSetEditText)
        OnSetEditText(this, ACol, ARow, Value);
}

void MCStringGrid::EditorTextChanged(const QString& Text) {
    Notify(Col(), Row(), Text);
}

// The end of an edit: the canonical form, or the text before the edit when Text is no value of the
// column's kind; the owner hears of what the cell keeps.
void MCStringGrid::CommitEdit(const QString& Text) {
    const int c = Col(), r = Row();
    if (c < 0 || r < 0 || IsFixed(c, r))
        return;
    const auto canon = GridCanonicalText(KindOf(c), DigitsOf(c), Text);
    const QString kept = canon ? *canon : FEditBefore;
    if (QTableWidgetItem* it = item(r, c))
        it->setText(kept);
    Notify(c, r, kept);
}

bool MCStringGrid::EditorKey(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Escape) {
        if (auto* e = qobject_cast<QLineEdit*>(indexWidget(currentIndex())))
            e->setText(FEditBefore);
        HideEditor();
        return true;
    }
    const int key = TypedKey(Event);
    if (key == 0)
        return false;
    TypeKey(key);
    return true;
}

void MCStringGrid::TypeKey(int Key) {
    const int c = Col(), r = Row();
    if (c < 0 || r < 0 || IsFixed(c, r) || !FEditing)
        return;
    auto* editor = qobject_cast<QLineEdit*>(indexWidget(currentIndex()));
    const bool shown = editor && state() == QAbstractItemView::EditingState;
    const QString text = shown ? editor->text() : Cells(c, r);
    const bool all = shown ? editor->selectedText() == text : true;
    const TGridKeyResult res = GridFilterKey(KindOf(c), DigitsOf(c), r, text, all, Key);
    switch (res.Act) {
    case TGridKeyResult::Ignore:
        return;
    case TGridKeyResult::EndEdit:
        if (shown) {
            editor->setText(res.Text);
            HideEditor();
        } else {
            FEditBefore = Cells(c, r);
            CommitEdit(res.Text);
        }
        return;
    case TGridKeyResult::Pass:
        if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
            if (shown)
                HideEditor();
            else
                ShowEditor();
            return;
        }
        if (!shown) {
            ShowEditor();
            editor = qobject_cast<QLineEdit*>(indexWidget(currentIndex()));
            if (!editor)
                return;
        }
        // The editor tells the owner of its new text.
        if (Key == Qt::Key_Backspace)
            editor->backspace();
        else
            editor->insert(res.Text);
        return;
    }
}

void MCStringGrid::keyPressEvent(QKeyEvent* Event) {
    const int key = TypedKey(Event);
    if (key != 0 && !EditorShown()) {
        TypeKey(key);
        return;
    }
    QTableWidget::keyPressEvent(Event);
}

void MCStringGrid::focusOutEvent(QFocusEvent* Event) {
    QTableWidget::focusOutEvent(Event);
    if (OnExit && !EditorShown())
        OnExit(this);
}
