#pragma once
// The pieces of the small dialogs built in English that follow the program's language pack: the
// form itself, and its labels, number edits, check boxes and buttons with their two captions.

#include <QRect>
#include <QString>

class MButton;
class MCheckBox;
class MForm;
class MLabel;
class MNumEdit;
class MRadioButton;
class QObject;
class QWidget;

// Sizes the form, gives it its language adapter, the program's pack and its two captions.
void PrepareForm(MForm& Form, int Width, int Height, const QString& Arabic, const QString& English);
MLabel* MakeLabel(QObject* Owner, QWidget* Parent, QRect Bounds, const char* Arabic, const char* English);
// A label beside its edit: its line of text centred on the edit's, which the edit centres in itself.
MLabel* MakeEditLabel(QObject* Owner, QWidget* Parent, int Left, int Width, const MNumEdit* Edit,
                      const char* Arabic, const char* English);
// A number edit of four digits.
MNumEdit* MakeEdit(QObject* Owner, QWidget* Parent, QRect Bounds, bool Signed);
// A check box with its caption on the right of the box.
MCheckBox* MakeCheck(QObject* Owner, QWidget* Parent, QRect Bounds, const char* Arabic, const char* English);
MButton* MakeButton(QObject* Owner, QRect Bounds, const char* Arabic, const char* English);
// A radio button with its caption on the right of the button.
MRadioButton* MakeRadio(QObject* Owner, QWidget* Parent, QRect Bounds, const char* Arabic,
                        const char* English);
