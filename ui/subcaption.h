#pragma once
// The caption of a control in every language: one text per language index and the index the control
// shows. The control records each caption it is given for the language it shows and takes the text
// of the new language when the language changes.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

// A string list that announces every change of its contents. Storing an equal text at an index is
// no change and announces nothing.
class MStrings {
public:
    int Count() const { return static_cast<int>(FList.size()); }
    // Index errors raise EListError.
    QString Strings(int i) const;
    void Put(int i, const QString& S);
    void Add(const QString& S);
    void Insert(int i, const QString& S);
    void Delete(int i);
    void Clear();
    void Assign(const QStringList& Source);
    const QStringList& List() const { return FList; }
    // Changes between BeginUpdate and EndUpdate are announced once at the end.
    void BeginUpdate() { ++FUpdating; }
    void EndUpdate();

    std::function<void()> OnChange;

private:
    void Changed();
    QStringList FList;
    int FUpdating = 0;
    bool FPending = false;
};

// Owners that take a caption or a hint in their own way (panels, tool windows, ...); the standard
// labels, buttons, group boxes, menu actions and bilingual forms are served without it.
class MCaptionOwner {
public:
    virtual ~MCaptionOwner() = default;
    virtual void SetOwnerCaption(const QString& Text) = 0;
};
class MHintOwner {
public:
    virtual ~MHintOwner() = default;
    virtual void SetOwnerHint(const QString& Text) = 0;
};

// The longest a per-language text list grows: one entry per language slot of the pack.
constexpr int MaxLanguageEntries = 21;

// Common part of MCaption and MHint.
class MLanguageTexts {
public:
    MLanguageTexts(const MLanguageTexts&) = delete;
    MLanguageTexts& operator=(const MLanguageTexts&) = delete;
    virtual ~MLanguageTexts() = default;

    QObject* Owner() const { return FOwner.data(); }
    bool Enable = true;
    int LanguageIndex() const { return FLanguageIndex; }
    // Takes the index without applying anything (message 0x5F4).
    void Update_LanguageID(int i) { FLanguageIndex = i; }
    // Takes a different index and applies its text (message 0x5F5).
    void Change_LanguageID(int i);

protected:
    MLanguageTexts(QObject* Owner, int LanguageIndex);
    QString CurrentText() const;
    void StoreCurrentText(const QString& Text);
    void Apply(bool Force);
    virtual void ApplyToOwner(const QString& Text) = 0;
    MStrings FTexts;

private:
    QPointer<QObject> FOwner;
    int FLanguageIndex;
    bool FApplying = false;
};

class MCaption : public MLanguageTexts {
public:
    // InitialTexts (the pack's language names) are copied in when given and not empty; nothing is
    // applied at creation.
    MCaption(QObject* Owner, int LanguageIndex, const QStringList& InitialTexts = {});

    MStrings& Captions() { return FTexts; }
    const MStrings& Captions() const { return FTexts; }
    void SetCaptions(const QStringList& Source) { FTexts.Assign(Source); }
    QString GetCurrentCaption() const { return CurrentText(); }
    // Records Text for the shown language; a list too short for the index grows with empty entries.
    void StoreCurrentCaption(const QString& Text) { StoreCurrentText(Text); }
    void ApplyCaption(bool Force) { Apply(Force); }
    void CaptionsChanged() { Apply(false); }

protected:
    void ApplyToOwner(const QString& Text) override;
};

class MHint : public MLanguageTexts {
public:
    // Unlike the caption, the hint applies the initial texts at once.
    MHint(QObject* Owner, int LanguageIndex, const QStringList& InitialTexts = {});

    MStrings& Hints() { return FTexts; }
    const MStrings& Hints() const { return FTexts; }
    void SetHints(const QStringList& Source) { FTexts.Assign(Source); }
    QString GetCurrentHint() const { return CurrentText(); }
    void StoreCurrentHint(const QString& Text) { StoreCurrentText(Text); }
    void ApplyHint(bool Force) { Apply(Force); }
    void HintsChanged() { Apply(false); }

protected:
    void ApplyToOwner(const QString& Text) override;
};
