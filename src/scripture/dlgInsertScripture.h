#pragma once

#include <QDialog>
#include <functional>

class QDialogButtonBox;
class QLineEdit;

// Asks for the reference of the passage to insert. OK checks it first: a
// reference that cannot be inserted is explained and the dialog stays, with
// what was typed, for the user to mend or cancel.
class dlgInsertScripture : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(dlgInsertScripture)

public:
    // check: why the typed text cannot be inserted; empty when it can.
    explicit dlgInsertScripture(std::function<QString(const QString &)> check, QWidget *parent = nullptr);

    QString reference() const;
    void setReference(const QString &text);

    QLineEdit *txtScriptureReference = nullptr;

public slots:
    void accept() override;

private:
    std::function<QString(const QString &)> m_check;
    QDialogButtonBox *m_buttons = nullptr;
};
