#pragma once

#include "Forms.h"

class QLineEdit;
class QRadioButton;
class TButton;

// "Ustawienia separatora i ogranicznika": the export's separator and quote character, each typed
// as a letter or as its decimal code.
class TSeparatorDlg : public TForm {
  Q_OBJECT
public:
  explicit TSeparatorDlg(QWidget *owner);

  // Raise EConvertError for a code that is no decimal number and for an empty edit.
  QChar GetSeparator() const;
  QChar GetQuote() const;
  // Puts both edits into the form their radio groups choose.
  void ApplyGroups();

  QLineEdit *Edit;
  QRadioButton *rbSepLetter, *rbSepCode; // RadioGroup: "Litera", "Kod ASCI"
  QLineEdit *Edit2;
  QRadioButton *rbQuoteLetter, *rbQuoteCode; // RadioGroup2
  TButton *btnOK;
  TButton *btnCancel;

protected:
  void showEvent(QShowEvent *event) override;

private:
  // One edit with its radio group and its flag (the edit shows a code).
  struct TCharInput {
    QLineEdit *Edit;
    QRadioButton *Code;
    bool AsCode = false;
  };
  static void Apply(TCharInput &input);
  static QChar Read(const TCharInput &input);
  QWidget *CreateInput(const QString &label, TCharInput &input, QLineEdit *&edit, QRadioButton *&letter,
                       QRadioButton *&code);

  TCharInput FSeparator;
  TCharInput FQuote;
};
