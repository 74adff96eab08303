#include "pulpit/dlgWordCount.h"

#include "pulpit/PulpitSettings.h"
#include "pulpit/SpeakingTime.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPromise>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString Counting = QStringLiteral("Counting\u2026");

} // namespace

dlgWordCount::dlgWordCount(const QString &document, const std::optional<QString> &selection, QWidget *parent)
    : QDialog(parent)
    , m_hasSelection(selection.has_value())
{
    setObjectName(QStringLiteral("dlgWordCount"));
    setWindowTitle(QStringLiteral("Word Count"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(24);
    const char *const rowNames[RowCount] = {"Words", "Characters", "CharactersNoSpaces", "Paragraphs", "SpeakingTime"};
    const char *const captions[RowCount] = {"Words:", "Characters (with spaces):", "Characters (no spaces):",
                                            "Paragraphs:", "Speaking time:"};
    auto *documentHeading = new QLabel(QStringLiteral("<b>Document</b>"), this);
    grid->addWidget(documentHeading, 0, 1, Qt::AlignRight);
    if (m_hasSelection)
        grid->addWidget(new QLabel(QStringLiteral("<b>Selection</b>"), this), 0, 2, Qt::AlignRight);
    for (int row = 0; row < RowCount; ++row) {
        grid->addWidget(new QLabel(QString::fromLatin1(captions[row]), this), row + 1, 0);
        for (int column = Document; column <= (m_hasSelection ? Selection : Document); ++column) {
            auto *label = new QLabel(Counting, this);
            label->setObjectName((column == Document ? QStringLiteral("lblDocument") : QStringLiteral("lblSelection"))
                                 + QString::fromLatin1(rowNames[row]));
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            grid->addWidget(label, row + 1, column + 1);
            m_values[column][row] = label;
        }
    }

    auto *rateRow = new QHBoxLayout;
    auto *rateCaption = new QLabel(QStringLiteral("Speaking &rate:"), this);
    spnSpeakingRate = new QSpinBox(this);
    spnSpeakingRate->setObjectName(QStringLiteral("spnSpeakingRate"));
    spnSpeakingRate->setRange(SpeakingTime::MinWordsPerMinute, SpeakingTime::MaxWordsPerMinute);
    spnSpeakingRate->setSingleStep(5);
    spnSpeakingRate->setValue(PulpitSettings::speakingRate());
    spnSpeakingRate->setAccessibleName(QStringLiteral("Speaking rate in words per minute"));
    rateCaption->setBuddy(spnSpeakingRate);
    rateRow->addWidget(rateCaption);
    rateRow->addWidget(spnSpeakingRate);
    rateRow->addWidget(new QLabel(QStringLiteral("words per minute"), this));
    rateRow->addStretch();
    connect(spnSpeakingRate, &QSpinBox::valueChanged, this, [this](int rate) {
        PulpitSettings::setSpeakingRate(rate);
        showTimes();
    });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(rateRow);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const auto countAll = [](const QString &d, const std::optional<QString> &s,
                             const std::function<bool()> &stop) -> std::optional<Counts> {
        const std::optional<TextCount> whole = TextCount::of(d, stop);
        if (!whole)
            return std::nullopt;
        Counts counts{*whole, std::nullopt};
        if (s) {
            counts.selection = TextCount::of(*s, stop);
            if (!counts.selection)
                return std::nullopt;
        }
        return counts;
    };
    if (document.size() + (selection ? selection->size() : 0) <= WorkerCharacters) {
        showCounts(*countAll(document, selection, {}));
        return;
    }
    connect(&m_watcher, &QFutureWatcher<Counts>::resultReadyAt, this,
            [this](int index) { showCounts(m_watcher.resultAt(index)); });
    // The texts are shared, not copied: the worker only reads them.
    m_watcher.setFuture(QtConcurrent::run(
        [countAll](QPromise<Counts> &promise, const QString &d, const std::optional<QString> &s) {
            if (auto counts = countAll(d, s, [&promise] { return promise.isCanceled(); }))
                promise.addResult(*counts);
        },
        document, selection));
}

dlgWordCount::~dlgWordCount()
{
    m_watcher.cancel();
}

void dlgWordCount::done(int result)
{
    // Nobody is left to see the count.
    m_watcher.cancel();
    QDialog::done(result);
}

std::optional<TextCount> dlgWordCount::count(Column column) const
{
    if (!m_counts)
        return std::nullopt;
    return column == Document ? std::optional<TextCount>(m_counts->document) : m_counts->selection;
}

void dlgWordCount::showCounts(const Counts &counts)
{
    m_counts = counts;
    const QLocale locale;
    for (int column = Document; column <= Selection; ++column) {
        const std::optional<TextCount> n = count(Column(column));
        if (!n || !m_values[column][Words])
            continue;
        m_values[column][Words]->setText(locale.toString(n->words));
        m_values[column][Characters]->setText(locale.toString(n->characters));
        m_values[column][CharactersNoSpaces]->setText(locale.toString(n->charactersNoSpaces));
        m_values[column][Paragraphs]->setText(locale.toString(n->paragraphs));
    }
    showTimes();
    emit counted();
}

void dlgWordCount::showTimes()
{
    for (int column = Document; column <= Selection; ++column) {
        const std::optional<TextCount> n = count(Column(column));
        if (n && m_values[column][Time])
            m_values[column][Time]->setText(SpeakingTime::describe(n->words, spnSpeakingRate->value()));
    }
}
