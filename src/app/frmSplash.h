#pragma once

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class RainButton;
class frmMain;

// The start-up window: the product's name, a verse and the ENTER button
// that opens the main window. Its look as first painted is kept in the
// user's cache folder: the next start paints that at once and shows the
// controls right after it, once the fonts are set up (tens of milliseconds).
class frmSplash : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSplash)

public:
    using MainFactory = std::function<std::unique_ptr<frmMain>()>;
    // The screen size in physical pixels (injectable for tests).
    using ScreenSize = std::function<QSizeF()>;

    explicit frmSplash(MainFactory makeMain, QWidget *parent = nullptr);
    ~frmSplash() override;

    void setScreenSize(ScreenSize screenSize) { m_screenSize = std::move(screenSize); }
    frmMain *mainWindow() const { return m_main.get(); }

    // The warning for a screen other than 800 x 600, or "" for exactly that.
    static QString resolutionWarning(QSizeF pixels);
    // Where the window's first look is kept between runs.
    static QString keptLookFile();

    RainButton *RainButton1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Image1 = nullptr;

public slots:
    void Form_Load();
    void RainButton1_Click();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // How the window's first paint is made.
    enum class FirstLook {
        Undecided,
        Kept,     // the kept look is painted; the controls wait hidden
        Snapshot, // the controls paint; their look is kept after the first paint
        Done,
    };

    void chooseFirstLook();
    // The fonts resolved to installed families and the background loaded:
    // what the controls need to paint.
    void prepare();
    // The controls shown in place of the kept look.
    void reveal();
    void afterFirstPaint();
    // Everything the window's look depends on that is known before its fonts
    // are set up; the families they resolve to are checked after the first paint.
    QString lookKey() const;
    QString fontFamilies() const;

    MainFactory m_makeMain;
    ScreenSize m_screenSize;
    std::unique_ptr<frmMain> m_main;
    QPixmap m_background;
    bool m_prepared = false;
    FirstLook m_firstLook = FirstLook::Undecided;
    bool m_firstPaintSeen = false;
    bool m_snapshotting = false;
    QString m_lookKey;
    QImage m_kept;
    QString m_keptFamilies;
    QList<QPointer<QWidget>> m_waiting;
    QImage m_snapshot;
};
