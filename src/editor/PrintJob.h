#pragma once

#include "editor/EditorJob.h"

#include <QString>

// Prints the document's selection, or all of it when nothing is selected,
// on paper or into a PDF file, as a job: the content is taken at once,
// then laid out and drawn page by page on a worker, with progress; Cancel
// stops it and leaves no file and no print job behind. It ends Refused,
// with the reason, when the printer or the file fails.
class PrintJob : public EditorJob {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintJob)

public:
    struct Target {
        QString printer; // a printer's name, or
        QString pdfPath; // a PDF file, written atomically
        QString title;   // the document's name
    };

    PrintJob(RichTextBox *box, Target target);

protected:
    void begin() override;

private:
    Target m_target;
};
