#include "editor/FontDialog.h"

#include "app/CommonDialog.h"
#include "editor/Contrast.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kRegular = 0;
constexpr int kItalic = 1;
constexpr int kBold = 2;
constexpr int kBoldItalic = 3;
// The font dialog's effects flag on the dialog layer.
constexpr int kEffectsFlag = 0x100;

QString sizeText(float points)
{
    return QLocale::c().toString(points, 'g', 6);
}

QString pickedText(const QListWidget *list)
{
    const QList<QListWidgetItem *> picked = list->selectedItems();
    return picked.isEmpty() ? QString() : picked.first()->text();
}

} // namespace

const std::array<FontDialog::NamedColour, 16> &FontDialog::classicColours()
{
    static const std::array<NamedColour, 16> colours = {{
        {"Black", qRgb(0, 0, 0)},       {"Maroon", qRgb(128, 0, 0)},  {"Green", qRgb(0, 128, 0)},
        {"Olive", qRgb(128, 128, 0)},   {"Navy", qRgb(0, 0, 128)},    {"Purple", qRgb(128, 0, 128)},
        {"Teal", qRgb(0, 128, 128)},    {"Gray", qRgb(128, 128, 128)}, {"Silver", qRgb(192, 192, 192)},
        {"Red", qRgb(255, 0, 0)},       {"Lime", qRgb(0, 255, 0)},    {"Yellow", qRgb(255, 255, 0)},
        {"Blue", qRgb(0, 0, 255)},      {"Fuchsia", qRgb(255, 0, 255)}, {"Aqua", qRgb(0, 255, 255)},
        {"White", qRgb(255, 255, 255)},
    }};
    return colours;
}

bool FontDialog::parseSize(const QString &text, float *points)
{
    const QString t = text.trimmed();
    bool ok = false;
    float value = QLocale::c().toFloat(t, &ok);
    if (!ok)
        value = QLocale().toFloat(t, &ok);
    if (!ok || !(value >= 1 && value <= 1638))
        return false;
    *points = value;
    return true;
}

FontDialog::FontDialog(const Choice &initial, bool showEffects, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("Font"));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtFontName"));
    m_names = new QListWidget(this);
    m_names->setObjectName(QStringLiteral("lstFontName"));
    m_names->addItems(QFontDatabase::families());

    m_styles = new QListWidget(this);
    m_styles->setObjectName(QStringLiteral("lstFontStyle"));
    m_styles->addItems({QStringLiteral("Regular"), QStringLiteral("Italic"), QStringLiteral("Bold"),
                        QStringLiteral("Bold Italic")});

    m_size = new QLineEdit(this);
    m_size->setObjectName(QStringLiteral("txtFontSize"));
    m_sizes = new QListWidget(this);
    m_sizes->setObjectName(QStringLiteral("lstFontSize"));
    for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        m_sizes->addItem(QString::number(s));

    auto *effects = new QGroupBox(QStringLiteral("Effects"), this);
    m_strike = new QCheckBox(QStringLiteral("Stri&keout"), effects);
    m_strike->setObjectName(QStringLiteral("chkStrikeout"));
    m_underline = new QCheckBox(QStringLiteral("&Underline"), effects);
    m_underline->setObjectName(QStringLiteral("chkUnderline"));
    m_colour = new QComboBox(effects);
    m_colour->setObjectName(QStringLiteral("cboColor"));
    {
        QPixmap swatch(16, 12);
        swatch.fill(palette().color(QPalette::Text));
        m_colour->addItem(QIcon(swatch), QStringLiteral("Automatic"), QVariant::fromValue(uint(AutomaticColor)));
    }
    for (const NamedColour &c : classicColours()) {
        QPixmap swatch(16, 12);
        swatch.fill(QColor(c.rgb));
        m_colour->addItem(QIcon(swatch), QString::fromLatin1(c.name), QVariant::fromValue(uint(c.rgb)));
    }
    auto *colourLabel = new QLabel(QStringLiteral("&Color:"), effects);
    colourLabel->setBuddy(m_colour);
    auto *effectsLayout = new QVBoxLayout(effects);
    effectsLayout->addWidget(m_strike);
    effectsLayout->addWidget(m_underline);
    effectsLayout->addWidget(colourLabel);
    effectsLayout->addWidget(m_colour);
    effects->setVisible(showEffects);

    auto *sampleBox = new QGroupBox(QStringLiteral("Sample"), this);
    m_sample = new QLabel(QStringLiteral("AaBbYyZz"), sampleBox);
    m_sample->setObjectName(QStringLiteral("lblSample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumSize(160, 60);
    (new QVBoxLayout(sampleBox))->addWidget(m_sample);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FontDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FontDialog::reject);

    auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    auto *grid = new QGridLayout(this);
    grid->addWidget(label(QStringLiteral("&Font:"), m_name), 0, 0);
    grid->addWidget(label(QStringLiteral("Font st&yle:"), m_styles), 0, 1);
    grid->addWidget(label(QStringLiteral("&Size:"), m_size), 0, 2);
    grid->addWidget(m_name, 1, 0);
    grid->addWidget(m_size, 1, 2);
    grid->addWidget(m_names, 2, 0);
    grid->addWidget(m_styles, 1, 1, 2, 1);
    grid->addWidget(m_sizes, 2, 2);
    grid->addWidget(effects, 3, 0);
    grid->addWidget(sampleBox, 3, 1, 1, 2);
    grid->addWidget(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    // Start from the previous result; the first time from the program's font.
    const QFont appFont = QApplication::font();
    const QString name = initial.name.isEmpty() ? appFont.family() : initial.name;
    const float size = initial.size > 0 ? initial.size : float(appFont.pointSizeF() > 0 ? appFont.pointSizeF() : 10);
    selectName(name);
    m_name->setText(name);
    m_styles->setCurrentRow(initial.bold ? (initial.italic ? kBoldItalic : kBold) : (initial.italic ? kItalic : kRegular));
    m_size->setText(sizeText(size));
    const QList<QListWidgetItem *> sizeItems = m_sizes->findItems(sizeText(size), Qt::MatchExactly);
    if (!sizeItems.isEmpty())
        m_sizes->setCurrentItem(sizeItems.first());
    m_strike->setChecked(initial.strikethru);
    m_underline->setChecked(initial.underline);
    const QRgb rgb = initial.color & 0xFFFFFF;
    int colourIndex = qAlpha(initial.color) == 0 ? 0 : -1;
    for (int i = 1; colourIndex < 0 && i < m_colour->count(); ++i) {
        if ((m_colour->itemData(i).toUInt() & 0xFFFFFF) == rgb)
            colourIndex = i;
    }
    if (colourIndex < 0) {
        QPixmap swatch(16, 12);
        swatch.fill(QColor(QRgb(rgb | 0xff000000)));
        m_colour->addItem(QIcon(swatch), QStringLiteral("Custom"), QVariant::fromValue(uint(rgb | 0xff000000)));
        colourIndex = m_colour->count() - 1;
    }
    m_colour->setCurrentIndex(colourIndex);

    // The boxes follow the row the user picks, not the list's current row: a
    // list without one takes its first row when it gets the focus, and that
    // would overwrite a name or size the list does not hold.
    connect(m_names, &QListWidget::itemSelectionChanged, this, [this] {
        const QString text = pickedText(m_names);
        if (!text.isEmpty() && m_name->text().compare(text, Qt::CaseInsensitive) != 0)
            m_name->setText(text);
        updateSample();
    });
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString &text) {
        // Typing moves the list to the first family that starts with the text.
        const QList<QListWidgetItem *> hits = m_names->findItems(text.trimmed(), Qt::MatchStartsWith);
        if (!hits.isEmpty()) {
            const QSignalBlocker block(m_names);
            m_names->setCurrentItem(hits.first());
            m_names->scrollToItem(hits.first());
        }
        updateSample();
    });
    connect(m_sizes, &QListWidget::itemSelectionChanged, this, [this] {
        const QString text = pickedText(m_sizes);
        if (!text.isEmpty())
            m_size->setText(text);
        updateSample();
    });
    connect(m_size, &QLineEdit::textEdited, this, &FontDialog::updateSample);
    connect(m_styles, &QListWidget::currentRowChanged, this, &FontDialog::updateSample);
    connect(m_strike, &QCheckBox::toggled, this, &FontDialog::updateSample);
    connect(m_underline, &QCheckBox::toggled, this, &FontDialog::updateSample);
    connect(m_colour, &QComboBox::currentIndexChanged, this, &FontDialog::updateSample);
    updateSample();
    m_name->setFocus();
    m_name->selectAll();
}

void FontDialog::selectName(const QString &name)
{
    const QList<QListWidgetItem *> hits = m_names->findItems(name, Qt::MatchFixedString);
    if (!hits.isEmpty()) {
        const QSignalBlocker block(m_names);
        m_names->setCurrentItem(hits.first());
        m_names->scrollToItem(hits.first(), QAbstractItemView::PositionAtTop);
    }
}

FontDialog::Choice FontDialog::choice() const
{
    Choice c;
    c.name = m_name->text().trimmed();
    // A typed name that differs from a listed family only in case takes the
    // family's own spelling.
    const QList<QListWidgetItem *> hits = m_names->findItems(c.name, Qt::MatchFixedString);
    if (!hits.isEmpty())
        c.name = hits.first()->text();
    if (!parseSize(m_size->text(), &c.size))
        c.size = 0;
    c.color = m_colour->currentData().toUInt();
    const int style = m_styles->currentRow();
    c.bold = style == kBold || style == kBoldItalic;
    c.italic = style == kItalic || style == kBoldItalic;
    c.underline = m_underline->isChecked();
    c.strikethru = m_strike->isChecked();
    return c;
}

void FontDialog::accept()
{
    if (m_name->text().trimmed().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Choose a font from the list of fonts."));
        m_name->setFocus();
        return;
    }
    float size = 0;
    if (!parseSize(m_size->text(), &size)) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Size must be a number between 1 and 1638."));
        m_size->setFocus();
        m_size->selectAll();
        return;
    }
    QDialog::accept();
}

void FontDialog::updateSample()
{
    const Choice c = choice();
    QFont font(c.name);
    if (c.size > 0)
        font.setPointSizeF(c.size);
    font.setBold(c.bold);
    font.setItalic(c.italic);
    font.setUnderline(c.underline);
    font.setStrikeOut(c.strikethru);
    m_sample->setFont(font);
    // Shown on the editor's background, unless the colour is unreadable
    // there (black under a dark palette): then on white or black,
    // whichever reads better, which always gives at least 4.5:1.
    const QPalette own = palette();
    const QColor ink = qAlpha(c.color) == 0 ? own.color(QPalette::Text) : QColor(c.color);
    QColor paper = own.color(QPalette::Base);
    if (Contrast::ratio(ink, paper) < Contrast::Readable)
        paper = Contrast::ratio(ink, Qt::white) >= Contrast::ratio(ink, Qt::black) ? QColor(Qt::white)
                                                                                   : QColor(Qt::black);
    QPalette p = m_sample->palette();
    p.setColor(QPalette::WindowText, ink);
    p.setColor(QPalette::Window, paper);
    m_sample->setPalette(p);
    m_sample->setAutoFillBackground(true);
}

bool CommonDialog::ShowFont(QWidget *parent)
{
    FontDialog::Choice initial;
    initial.name = FontName;
    initial.size = FontSize;
    initial.color = Color;
    initial.bold = FontBold;
    initial.italic = FontItalic;
    initial.underline = FontUnderline;
    initial.strikethru = FontStrikethru;

    FontDialog dialog(initial, (Flags & kEffectsFlag) != 0, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const FontDialog::Choice c = dialog.choice();
    FontName = c.name;
    FontSize = c.size;
    Color = c.color;
    FontBold = c.bold;
    FontItalic = c.italic;
    FontUnderline = c.underline;
    FontStrikethru = c.strikethru;
    return true;
}
