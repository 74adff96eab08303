#include "scripture/dlgInsertScripture.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

dlgInsertScripture::dlgInsertScripture(std::function<QString(const QString &)> check, QWidget *parent)
    : QDialog(parent)
    , m_check(std::move(check))
{
    setObjectName(QStringLiteral("dlgInsertScripture"));
    setWindowTitle(tr("Insert Scripture"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(tr("&Reference (for example John 3:16, Romans 8:28-30, Ps 23 or John 3:16; Rom 5:8):"), this);
    label->setWordWrap(true);
    txtScriptureReference = new QLineEdit(this);
    txtScriptureReference->setObjectName(QStringLiteral("txtScriptureReference"));
    label->setBuddy(txtScriptureReference);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(label);
    layout->addWidget(txtScriptureReference);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &dlgInsertScripture::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &dlgInsertScripture::reject);
    QPushButton *ok = m_buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(txtScriptureReference, &QLineEdit::textChanged, ok,
            [ok](const QString &text) { ok->setEnabled(!text.trimmed().isEmpty()); });
    resize(qMax(sizeHint().width(), 380), sizeHint().height());
}

QString dlgInsertScripture::reference() const
{
    return txtScriptureReference->text().trimmed();
}

void dlgInsertScripture::setReference(const QString &text)
{
    txtScriptureReference->setText(text);
    txtScriptureReference->selectAll();
}

void dlgInsertScripture::accept()
{
    if (reference().isEmpty())
        return;
    const QString problem = m_check ? m_check(reference()) : QString();
    if (!problem.isEmpty()) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Vellumor"), problem, QMessageBox::Ok, this);
        box.exec();
        txtScriptureReference->setFocus();
        txtScriptureReference->selectAll();
        return;
    }
    QDialog::accept();
}
