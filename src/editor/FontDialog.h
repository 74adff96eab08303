#pragma once

#include <QDialog>
#include <QRgb>
#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

// The font dialog of the Format menu: font name, style, size, and the effects
// underline, strike-through and colour, which Qt's own font dialog lacks.
class FontDialog : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FontDialog)

public:
    // A colour without alpha: the text has no colour of its own and shows in
    // the editor's text colour.
    static constexpr QRgb AutomaticColor = 0;

    struct Choice {
        QString name;
        float size = 0;
        QRgb color = 0xff000000; // or AutomaticColor
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strikethru = false;
    };

    struct NamedColour {
        const char *name;
        QRgb rgb;
    };
    // The sixteen classic colours, in the order the colour list shows them
    // after "Automatic".
    static const std::array<NamedColour, 16> &classicColours();

    // showEffects: offer underline, strike-through and colour.
    FontDialog(const Choice &initial, bool showEffects, QWidget *parent = nullptr);

    Choice choice() const;

    // A size the dialog accepts: points from 1 to 1638 in C or local notation.
    static bool parseSize(const QString &text, float *points);

public slots:
    void accept() override;

private:
    void selectName(const QString &name);
    void updateSample();

    QLineEdit *m_name = nullptr;
    QListWidget *m_names = nullptr;
    QListWidget *m_styles = nullptr;
    QLineEdit *m_size = nullptr;
    QListWidget *m_sizes = nullptr;
    QCheckBox *m_strike = nullptr;
    QCheckBox *m_underline = nullptr;
    QComboBox *m_colour = nullptr;
    QLabel *m_sample = nullptr;
};
