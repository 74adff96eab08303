#pragma once

#include "ModalDriver.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QPushButton>
#include <QLineEdit>
#include <QMessageBox>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

// Drives the modal dialogs of one command as a user would: each step
// answers one dialog in turn and records what it saw.
namespace DialogScripts {

// What a script step saw of one dialog.
struct Seen {
    QString kind; // "box", "file", or "unexpected"
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool yesIsDefault = false;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    bool readOnly = false;
    bool confirmsOverwrite = false;
    QStringList nameFilters;
    QString selectedFilter;
    bool stayedOpen = false; // the file dialog refused the chosen name
};

// Answers a run of modal dialogs in order, as a user would, and rejects
// anything that comes after the expected ones (recorded as "unexpected").
class DialogScript {
public:
    using Step = std::function<void(QDialog *, Seen &)>;

    DialogScript &then(Step step)
    {
        m_steps.push_back(std::move(step));
        return *this;
    }

    // Runs the action (which opens the dialogs) with the answers armed;
    // nothing stays armed afterwards to catch another script's dialogs.
    void run(const std::function<void()> &action)
    {
        armStep(0);
        action();
        for (auto &d : m_drivers)
            d->stop();
    }

    std::deque<Seen> seen; // references stay valid while nested answers add more

    int unexpected() const
    {
        return int(std::count_if(seen.begin(), seen.end(), [](const Seen &s) { return s.kind == "unexpected"; }));
    }

private:
    // Each answer gets a fresh driver; a dialog that an earlier answer is
    // still busy with (a file dialog waiting on its own question) is left
    // to that answer.
    void armStep(size_t i)
    {
        m_drivers.push_back(std::make_unique<ModalDriver>());
        m_drivers.back()->arm([this, i](QDialog *d) {
            if (m_busy.contains(d)) {
                armStep(i);
                return;
            }
            // Armed before acting: acting may open the next dialog at once.
            armStep(i + 1);
            m_busy.append(d);
            seen.push_back(Seen());
            const size_t mine = seen.size() - 1;
            if (i < m_steps.size()) {
                m_steps[i](d, seen[mine]);
            } else {
                seen[mine].kind = QStringLiteral("unexpected");
                seen[mine].title = d->windowTitle();
                if (auto *box = qobject_cast<QMessageBox *>(d))
                    seen[mine].text = box->text();
                d->reject();
            }
            m_busy.removeOne(d);
        });
    }

    std::vector<Step> m_steps;
    QList<QDialog *> m_busy;
    std::vector<std::unique_ptr<ModalDriver>> m_drivers;
};

inline DialogScript::Step press(QMessageBox::StandardButton button)
{
    return [button](QDialog *d, Seen &s) {
        auto *box = qobject_cast<QMessageBox *>(d);
        if (!box) {
            s.kind = QStringLiteral("unexpected");
            d->reject();
            return;
        }
        s.kind = QStringLiteral("box");
        s.text = box->text();
        s.title = box->windowTitle();
        s.icon = box->icon();
        s.buttons = box->standardButtons();
        s.yesIsDefault = box->defaultButton() &&
                         static_cast<QAbstractButton *>(box->defaultButton()) == box->button(QMessageBox::Yes);
        if (QAbstractButton *b = box->button(button))
            b->click();
        else
            box->reject();
    };
}

inline void recordFileDialog(QFileDialog *fd, Seen &s)
{
    s.kind = QStringLiteral("file");
    s.title = fd->windowTitle();
    s.acceptMode = fd->acceptMode();
    s.readOnly = fd->testOption(QFileDialog::ReadOnly);
    s.confirmsOverwrite = !fd->testOption(QFileDialog::DontConfirmOverwrite);
    s.nameFilters = fd->nameFilters();
    s.selectedFilter = fd->selectedNameFilter();
}

// Types the path into the file dialog and presses its accept button.
inline DialogScript::Step choose(const QString &path)
{
    return [path](QDialog *d, Seen &s) {
        auto *fd = qobject_cast<QFileDialog *>(d);
        if (!fd) {
            s.kind = QStringLiteral("unexpected");
            d->reject();
            return;
        }
        recordFileDialog(fd, s);
        // Typed in full right before pressing the button, as the folder
        // view may still be filling and would reset a selection.
        auto *name = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!name) {
            s.kind = QStringLiteral("unexpected");
            d->reject();
            return;
        }
        name->setText(path);
        // Through QDialog: the file dialog's own accept checks the name first.
        static_cast<QDialog *>(fd)->accept();
        if (fd->isVisible()) {
            s.stayedOpen = true;
            fd->reject();
        }
    };
}

inline DialogScript::Step cancelFileDialog()
{
    return [](QDialog *d, Seen &s) {
        if (auto *fd = qobject_cast<QFileDialog *>(d))
            recordFileDialog(fd, s);
        else
            s.kind = QStringLiteral("unexpected");
        d->reject();
    };
}

} // namespace DialogScripts
