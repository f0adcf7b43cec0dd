#pragma once

// frmCapture: shows the captured screen image (picWk), with page setup and
// print (menu "Printer"), save as a Windows bitmap ("Save") and "Close",
// which only hides it. Created on first use, then shown and hidden; every
// capture loads its new image, even into a window that was only hidden.

#include <QImage>
#include <QMainWindow>
#include <QPrinter>

class CaptureClipboard;
class QLabel;
class QTimer;
class Ui;

class CaptureWindow : public QMainWindow
{
    Q_OBJECT
public:
    CaptureWindow(Ui &ui, CaptureClipboard &clipboard, QWidget *parent = nullptr);

    // LoadCapture with the designed loading error table: the clipboard's
    // image into picWk, the window sized to it, timer1 stopped. An error
    // before the stop leaves timer1 running, so the capture repeats.
    void loadCapture(QTimer &timer1);
    const QImage &image() const { return m_image; }
    // The page set up with m1a, which printing fits the image into.
    QPrinter &printer() { return m_printer; }

    void m1a_Click(); // page setup
    void m1b_Click(); // print
    void m4_Click();  // save as bitmap
    void m5_Click();  // close: hide

private:
    void LoadCapture(QTimer &timer1);

    Ui &m_ui;
    CaptureClipboard &m_clipboard;
    QLabel *m_picture; // picWk
    QImage m_image;
    QPrinter m_printer;
};

// Prints the image on the printer's page, fitted within its margins and
// keeping its proportions; false when the printer cannot be started.
bool printCapture(QPrinter &printer, const QImage &image);
