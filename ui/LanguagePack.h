#pragma once
// The language pack: the one shared component that describes the languages of the user interface
// and says which one is current. Each language is a language detail (index, name, font and three
// switches); every bilingual window registers with the pack and holds a copy of the detail of the
// language it shows. Setting the pack's language number copies the new detail into every window
// that follows the pack, and the change events of the copy make the window re-apply its texts.

#include <QColor>
#include <QFont>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

// The number of language slots of a pack (Lang00..Lang20).
constexpr int LanguageSlotCount = 21;
// The system's two languages.
constexpr int LanguageArabic = 0;
constexpr int LanguageEnglish = 1;

using MLanguageIDChangeEvent = std::function<void(int aNewLanguage)>;
using MNotifyEvent = std::function<void()>;
using MAlignEnableChangeEvent = std::function<void()>;
using MSelfAlignChangeEvent = std::function<void(bool aValue)>;
using MArabicChangeEvent = std::function<void(bool aValue)>;

// The font of a language: the typeface and its colour (invalid: the system's window-text colour).
// It reports a change only when an attribute really changes.
class MLanguageFont {
public:
    MLanguageFont();
    const QFont& Font() const { return FFont; }
    const QColor& Color() const { return FColor; }
    void SetFont(const QFont& Font);
    void SetColor(const QColor& Color);
    void Assign(const MLanguageFont& Source);
    bool operator==(const MLanguageFont& Other) const;
    // Puts the font (and a set colour) on a control.
    void ApplyTo(class QWidget* Control) const;

    MNotifyEvent OnChange;

private:
    QFont FFont;
    QColor FColor;
};

class MLanguageProfile;

class MLanguageDetail {
public:
    MLanguageDetail() = default;
    MLanguageDetail(const MLanguageDetail&) = delete;
    MLanguageDetail& operator=(const MLanguageDetail&) = delete;
    virtual ~MLanguageDetail() = default;

    int LanguageID() const { return FLanguageID; }
    // Stores a different index and fires OnLanguageIDChange.
    void SetLanguageID(int Value);
    // A plain field write, without event (used by the pack's slot setters).
    void StoreLanguageID(int Value) { FLanguageID = Value; }

    QString LanguageName;
    bool LanguagePackFollow = true;

    const MLanguageFont& Font() const { return FFont; }
    // Copies the attributes; fires OnFontChange only when one differs.
    void SetFont(const MLanguageFont& Value);

    bool AlignEnable() const { return FAlignEnable; }
    bool SelfAlignEnable() const { return FSelfAlignEnable; }
    bool ArabicEnable() const { return FArabicEnable; }
    void SetAlignEnable(bool Value);
    void SetSelfAlignEnable(bool Value);
    void SetArabicEnable(bool Value);

    MLanguageIDChangeEvent OnLanguageIDChange;
    // Fired when the font changes; the handler reads the new font from Font().
    MNotifyEvent OnFontChange;
    MAlignEnableChangeEvent OnAlignEnableChanged;
    MSelfAlignChangeEvent OnSelfAlignEnableChanged;
    MArabicChangeEvent OnArabicEnableChanged;
    MLanguageIDChangeEvent BeforeLanguageDetailChange;
    MLanguageIDChangeEvent AfterLanguageDetailChange;

private:
    int FLanguageID = 0;
    MLanguageFont FFont;
    bool FAlignEnable = false;
    bool FSelfAlignEnable = false;
    bool FArabicEnable = false;
};

// The kind of detail that bilingual forms and adapters own.
class M_LanguageDetail : public MLanguageDetail {};

using MLanguageProfileChangeEvent = std::function<void(MLanguageProfile* Sender, int aLanguageNumber)>;

// A language described for a designer; the system's windows create none.
class MLanguageProfile : public QObject {
    Q_OBJECT
public:
    explicit MLanguageProfile(QObject* Owner = nullptr);

    int LanguageID() const { return -1; }
    void SetLanguageID(int) {}
    QString LanguageName;
    const MLanguageFont& Font() const { return FFont; }
    void SetFont(const MLanguageFont& Value);
    bool AlignEnable() const { return FAlignEnable; }
    bool SelfAlignEnable() const { return FSelfAlignEnable; }
    bool ArabicEnable() const { return FArabicEnable; }
    void SetAlignEnable(bool Value);
    void SetSelfAlignEnable(bool Value);
    void SetArabicEnable(bool Value);

    MLanguageProfileChangeEvent OnChange;

private:
    void Changed();
    MLanguageFont FFont;
    bool FAlignEnable = false;
    bool FSelfAlignEnable = false;
    bool FArabicEnable = false;
};

class MLanguagePack;

// A window or adapter registered with a pack.
class MLanguageClient {
public:
    virtual ~MLanguageClient() = default;
    // The detail of the language the client shows.
    virtual MLanguageDetail* ClientLanguageDetail() = 0;
    // Copies a new language into the client (AssignLanguageDetail with its events).
    virtual void SetClientLanguageDetail(const MLanguageDetail& Detail) = 0;
    // The pack is going away: the client clears its link.
    virtual void LanguagePackFreed(MLanguagePack* Pack) = 0;
};

class MLanguagePack : public QObject {
    Q_OBJECT
public:
    explicit MLanguagePack(QObject* Owner = nullptr);
    ~MLanguagePack() override;

    int LanguageNumber() const { return FLanguageNumber; }
    // Switches the current language; a number outside the languages in use is ignored. Asked while
    // a switch is being handed out (from a handler of a window), the new number is switched to when
    // the running switch has ended.
    void SetLanguageNumber(int n);
    // The language the following windows are to show: while a switch is being handed out the number
    // it switches to (LanguageNumber still reports the old one then), otherwise LanguageNumber.
    int FollowedLanguageNumber() const { return FSwitching ? FSwitchingTo : FLanguageNumber; }
    int LanguageCount() const { return FLanguageCount; }
    void SetLanguageCount(int Value) { FLanguageCount = Value; }
    bool MasterFollow = false;

    // The detail of slot i (0..20); null outside.
    MLanguageDetail* Detail(int i) const;
    MLanguageDetail* Lang(int i) const { return Detail(i); }
    // Writes slot i: the given detail takes the index i (without event) and is copied into the slot.
    void SetLang(int i, MLanguageDetail& Source);

    // The names of the languages in use, in order; always True.
    bool GetLanguageNames(QStringList& List) const;

    void RegisterClient(MLanguageClient* Client);
    void UnregisterClient(MLanguageClient* Client);
    const QList<MLanguageClient*>& Clients() const { return FClients; }
    bool IsClient(const MLanguageClient* Client) const;

private:
    int FLanguageNumber = 0;
    int FLanguageCount = 1;
    bool FSwitching = false;
    int FSwitchingTo = 0;
    std::optional<int> FRequested;
    std::array<std::unique_ptr<MLanguageDetail>, LanguageSlotCount> FSlots;
    QList<MLanguageClient*> FClients;
};

// Copies a language into a detail with events: before-change (when the index differs), the index,
// the name, the font, the three switches, after-change (when the index differs).
void AssignLanguageDetail(MLanguageDetail& Target, const MLanguageDetail& Source);
void AssignLanguageDetail(MLanguageDetail& Target, const MLanguageProfile& Source);
// Hands a detail to every client of the pack that shows language OldNumber and follows the pack.
void BroadcastLanguageDetail(MLanguagePack& Pack, const MLanguageDetail& NewDetail, int OldNumber);
