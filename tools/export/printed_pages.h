#pragma once
// The pages of a printed file: A4 with margins, a head line on every page,
// text wrapped inside the margins, and a footer with the date printed and
// "Page N of M".

#include <QFont>
#include <QImage>
#include <QString>

#include <functional>
#include <string>

class QIODevice;
class QPainter;
class QPdfWriter;

class PrintedPages {
public:
    int Width() const;
    // Room left on this page below what is drawn.
    int Room() const;
    // Room on a whole page below its head.
    int PageRoom() const;
    // The height `text` takes wrapped in a column from x, `width` wide (0: to the right margin).
    int TextHeight(const QString& text, const QFont& font, int x, int width = 0) const;
    // Starts a new page unless `height` fits on this one (or nothing is on it yet).
    void Reserve(int height);
    // Draws `text` wrapped in that column, on a new page when it does not fit,
    // and moves below it.
    void Text(const QString& text, const QFont& font, int x = 0, int width = 0);
    // Draws the image `make` makes, scaled to width x height at x, level with
    // the text that comes next. While the pages are only counted, no image is made.
    void Picture(const std::function<QImage()>& make, int x, int width, int height);
    void Skip(int height) { y_ += height; }
    int Y() const { return y_; }
    int Page() const { return page_; }
    void SetY(int y) { y_ = y; }

private:
    friend std::string PrintPdf(QIODevice&, const QString&, const QString&,
                                const std::function<void(PrintedPages&)>&);
    PrintedPages(QPdfWriter& pdf, QPainter* painter, QString head, int pageCount);
    void StartPage();
    void EndPage();
    int Bottom() const;

    QPdfWriter& pdf_;
    QPainter* painter_;  // null while the pages are only counted
    QString head_;
    int pageCount_;
    int page_ = 0;
    int y_ = 0;
    int top_ = 0;
};

// Writes a PDF titled `title` into `out`, whose pages `compose` fills; each
// page is headed by `head`. Empty on success, else why not.
std::string PrintPdf(QIODevice& out, const QString& title, const QString& head,
                     const std::function<void(PrintedPages&)>& compose);

// The program's fonts at print sizes, in points.
QFont PrintFont(int points, bool bold = false);
