#pragma once
// A non-visual component that switches its form to right-to-left window styles. All such components
// of one form keep the same switch; the last one gone leaves the form left-to-right.

#include <QObject>

class TArabForm : public QObject {
    Q_OBJECT
public:
    // Owner: the form (also the Qt parent). The switch starts as the middle-east flag and is applied
    // at once.
    explicit TArabForm(QObject* Owner);
    ~TArabForm() override;

    bool Arabic() const { return FArabic; }
    // Ignored when unchanged or on a platform without right-to-left support.
    void SetArabic(bool Value);

private:
    bool FArabic;
};

// Applies a component's switch to its form: every TArabForm of the form takes it, and the form's
// layout direction follows (right to left when on).
void ApplyArabicStyle(TArabForm& Component);
