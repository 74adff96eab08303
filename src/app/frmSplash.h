#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class RainButton;
class frmMain;

// The start-up window: the product's name, a verse and the ENTER button
// that opens the main window.
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
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    MainFactory m_makeMain;
    ScreenSize m_screenSize;
    std::unique_ptr<frmMain> m_main;
    QPixmap m_background;
};
