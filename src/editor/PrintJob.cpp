#include "editor/PrintJob.h"

#include "editor/RichTextBox.h"
#include "editor/RtfWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPromise>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>

namespace {

// Nothing, or why the printout failed.
using Problem = QString;

// One page of the laid-out document, and its number at the foot.
void drawPage(QPainter &painter, QTextDocument &doc, const QRectF &body, const QPointF &pageNumberPos, int page)
{
    painter.save();
    painter.translate(body.left(), body.top() - (page - 1) * body.height());
    const QRectF view(0, (page - 1) * body.height(), body.width(), body.height());
    QAbstractTextDocumentLayout::PaintContext context;
    painter.setClipRect(view);
    context.clip = view;
    // Paper is white whatever the desktop's colours are.
    context.palette.setColor(QPalette::Text, Qt::black);
    doc.documentLayout()->draw(&painter, context);
    painter.setClipping(false);
    painter.setFont(doc.defaultFont());
    const QString number = QString::number(page);
    painter.drawText(qRound(pageNumberPos.x() - painter.fontMetrics().horizontalAdvance(number)),
                     qRound(pageNumberPos.y() + view.top()), number);
    painter.restore();
}

// What the pages are laid out with.
struct Page {
    QFont font;       // the document's default font
    qreal screenDpi;  // the layout scales frame margins from this to the device's
    QTextOption::WrapMode wrap; // as the editor wraps it: a word longer than a line breaks anywhere
};

// Lays out and draws the content on the device; false when cancelled.
bool printContent(QPromise<Problem> &promise, const RtfContent &content, const Page &page, QPagedPaintDevice &device,
                  QPainter &painter)
{
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    doc.setDefaultFont(page.font);
    QTextOption option = doc.defaultTextOption();
    option.setWrapMode(page.wrap);
    doc.setDefaultTextOption(option);
    // The layout works in the device's resolution from the start.
    doc.documentLayout()->setPaintDevice(&device);
    const int dpiY = device.logicalDpiY();
    QTextFrameFormat frame = doc.rootFrame()->frameFormat();
    frame.setMargin((2 / 2.54) * page.screenDpi); // 2 cm all round
    doc.rootFrame()->setFrameFormat(frame);
    const qreal margin = (2 / 2.54) * dpiY;
    const QRectF body(0, 0, device.width(), device.height());
    const QPointF pageNumberPos(body.width() - margin,
                                body.height() - margin + QFontMetrics(page.font, &device).ascent() + 5 * dpiY / 72.0);
    {
        QTextCursor cursor(&doc);
        RtfWriter::insert(content, cursor);
    }
    doc.setPageSize(body.size());

    // Laid out a paragraph range at a time, then drawn a page at a time:
    // each step a chance to stop.
    const int total = qMax(1, doc.characterCount());
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    for (int position = 0; position < total; position += RichTextBox::SliceCharacters) {
        // Asking for a paragraph's place lays the document out down to it.
        layout->blockBoundingRect(doc.findBlock(position));
        promise.setProgressValue(int(500LL * position / total));
        if (promise.isCanceled())
            return false;
    }
    const int pages = doc.pageCount();
    for (int number = 1; number <= pages; ++number) {
        drawPage(painter, doc, body, pageNumberPos, number);
        promise.setProgressValue(500 + 500 * number / pages);
        if (promise.isCanceled())
            return false;
        if (number < pages && !device.newPage())
            break;
    }
    return true;
}

void print(QPromise<Problem> &promise, const RtfContent &content, const Page &page, const PrintJob::Target &target)
{
    promise.setProgressRange(0, 1000);
    if (!target.pdfPath.isEmpty()) {
        QSaveFile file(target.pdfPath);
        if (!file.open(QIODevice::WriteOnly)) {
            promise.addResult(file.errorString());
            return;
        }
        bool done = false;
        {
            QPdfWriter pdf(&file);
            pdf.setCreator(QStringLiteral("Vellumor"));
            pdf.setTitle(target.title);
            pdf.setPageSize(QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                                : QPageSize::A4));
            QPainter painter(&pdf);
            done = printContent(promise, content, page, pdf, painter);
        }
        // A cancelled PDF leaves no file; the one on disk, if any, stays as it was.
        if (!done)
            return;
        // Written out before the commit: a failure in the last buffered
        // write would otherwise go unnoticed.
        if (!file.flush() || file.error() != QFileDevice::NoError) {
            promise.addResult(file.errorString());
            return;
        }
        promise.addResult(file.commit() ? Problem() : file.errorString());
        return;
    }
    QPrinter printer(QPrinterInfo::printerInfo(target.printer), QPrinter::HighResolution);
    printer.setDocName(target.title);
    QPainter painter;
    if (!painter.begin(&printer)) {
        promise.addResult(QStringLiteral("The printer could not be started."));
        return;
    }
    if (!printContent(promise, content, page, printer, painter)) {
        printer.abort();
        return;
    }
    painter.end();
    promise.addResult(printer.printerState() == QPrinter::Error ? QStringLiteral("The printer reported an error.")
                                                                : Problem());
}

} // namespace

PrintJob::PrintJob(RichTextBox *box, Target target)
    : EditorJob(box, QStringLiteral("Printing\u2026"), true)
    , m_target(std::move(target))
{
}

void PrintJob::begin()
{
    // Taken now, in one pass; the worker has everything else to do.
    const RtfContent content = box()->printContent();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const Page page{box()->document()->defaultFont(), screen ? screen->logicalDotsPerInchY() : 96.0,
                    box()->wordWrapMode()};
    await<Problem>(QtConcurrent::run(print, content, page, m_target), [this](QFuture<Problem> done) {
        if (done.isCanceled() || done.resultCount() == 0) {
            finish(Outcome::Cancelled);
            return;
        }
        const Problem problem = done.result();
        if (problem.isEmpty())
            finish(Outcome::Done);
        else
            finish(Outcome::Refused, problem);
    });
}
