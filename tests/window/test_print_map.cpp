#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>

#include "support/form_fixture.h"
#include "support/test_files.h"
#include "window/map_messages.h"

using namespace tessara;
using namespace tessara::test;

namespace {

const Message kNoMapToPrint{"There is no map to print yet. Please load a map picture first.",
                            "No map to print"};

// Letter, with half-inch margins: at 72 dots per inch a rendered page is 612 x 792 dots and
// the printable area starts at (36, 36).
constexpr int kPageWidth = 612;
constexpr int kPageHeight = 792;
constexpr int kMargin = 36;

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

int pageCount(const QString& pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression(R"(Pages:\s+(\d+))").match(run("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The page rendered back at 72 dots per inch: one dot per point.
QImage renderPage(const QString& pdf, int page) {
    const QString prefix = pdf + QStringLiteral(".page");
    run("pdftoppm", {"-r", "72", "-png", "-singlefile", "-f", QString::number(page), "-l",
                     QString::number(page), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// How many times a picture is drawn in the document: the "Do" operators of its page
// contents, which are zlib streams.
int pictureDraws(const QByteArray& pdf) {
    static const QRegularExpression drawn(R"(/Im\d+\s+Do\b)");
    int draws = 0;
    qsizetype at = 0;
    while ((at = pdf.indexOf("stream\n", at)) >= 0) {
        const qsizetype start = at + 7;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (end < 0) {
            break;
        }
        at = end + 9;  // past "endstream", which itself ends in "stream"
        const QByteArray data = pdf.mid(start, end - start);
        if (!data.startsWith('\x78')) {
            continue;  // not zlib: a picture stored as JPEG, say
        }
        QByteArray sized(4, '\0');  // qUncompress wants the size first; an ample guess
        qToBigEndian<quint32>(1 << 24, sized.data());
        draws += static_cast<int>(QString::fromLatin1(qUncompress(sized + data)).count(drawn));
    }
    return draws;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 8 && std::abs(qGreen(a) - qGreen(b)) < 8 &&
           std::abs(qBlue(a) - qBlue(b)) < 8;
}

// The smallest rectangle holding every dot that is not white.
QRect inkedArea(const QImage& page) {
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (!near(page.pixel(x, y), qRgb(255, 255, 255))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// A map of two halves, each of one colour, split across its longer side.
QImage twoColourMap(int width, int height, QColor first, QColor second) {
    QImage map(width, height, QImage::Format_RGB32);
    map.fill(first);
    if (width >= height) {
        for (int y = 0; y < height; ++y) {
            for (int x = width / 2; x < width; ++x) {
                map.setPixel(x, y, second.rgb());
            }
        }
    } else {
        for (int y = height / 2; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                map.setPixel(x, y, second.rgb());
            }
        }
    }
    return map;
}

}  // namespace

class PrintMap : public FormTest {
  protected:
    void load(const QImage& map) {
        platform.dialogs.answer(writeImage(dir.path("map.bmp"), map, "BMP"));
        action("mnuLoad")->trigger();
        ASSERT_TRUE(platform.messages.shown().empty());
    }
    // The printer writes a PDF file of Letter pages with half-inch margins.
    QString printToPdf(const QString& name = "printed.pdf") {
        QFile::remove(dir.path(name));  // nothing from an earlier print counts
        QPrinter& printer = platform.printers.printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.path(name));
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                          QMarginsF(kMargin, kMargin, kMargin, kMargin)));
        return dir.path(name);
    }
    ScratchDir dir;
};

TEST_F(PrintMap, AsksForAPrinterWithoutSelectionPageRangeOrFile) {
    load(makeMap(40, 20));
    platform.printers.answer(PrintDialogResult::Cancelled);
    action("mnuPrint")->trigger();
    ASSERT_EQ(platform.printers.requests().size(), 1U);
    EXPECT_EQ(platform.printers.requests()[0], (PrintDialogRequest{false, false, false}));
    EXPECT_EQ(form.commonDialog().Flags, 0x10000C);
    EXPECT_TRUE(form.commonDialog().CancelError);
}

TEST_F(PrintMap, PrintsTheMapOnOnePageFittedFromTheOriginOfThePrintableArea) {
    struct Row {
        const char* guards;
        QImage map;
        void (Form1::*zoom)();
        QRect expected;  // where the map lands on the page, in points
        QColor first, second;
    } const rows[] = {
        // w = PW = 612, h = PW / 2 = 306, from the printable area's corner; the part over
        // the right margin is the printer's unprintable border.
        {"twice as wide as high: the page's width", twoColourMap(400, 200, Qt::red, Qt::blue),
         &Form1::mnuNormal_Click, QRect(kMargin, kMargin, kPageWidth - kMargin, 306), Qt::red,
         Qt::blue},
        {"the same at 1:5", twoColourMap(400, 200, Qt::red, Qt::blue), &Form1::mnu1to5_Click,
         QRect(kMargin, kMargin, kPageWidth - kMargin, 306), Qt::red, Qt::blue},
        {"the same at 5:1", twoColourMap(400, 200, Qt::red, Qt::blue), &Form1::mnu5to1_Click,
         QRect(kMargin, kMargin, kPageWidth - kMargin, 306), Qt::red, Qt::blue},
        // h = PH = 792, w = IW x PH / IH = 198; what falls below the page is lost.
        {"four times as high as wide: the page's height",
         twoColourMap(100, 400, Qt::green, Qt::magenta), &Form1::mnuNormal_Click,
         QRect(kMargin, kMargin, 198, kPageHeight - kMargin), Qt::green, Qt::magenta},
    };
    for (const auto& row : rows) {
        load(row.map);
        (form.*row.zoom)();
        const QString pdf = printToPdf();
        platform.printers.answer(PrintDialogResult::Accepted);
        action("mnuPrint")->trigger();
        EXPECT_TRUE(platform.messages.shown().empty()) << row.guards;
        ASSERT_EQ(pageCount(pdf), 1) << row.guards;
        const QImage page = renderPage(pdf, 1);
        ASSERT_EQ(page.size(), QSize(kPageWidth, kPageHeight)) << row.guards;
        const QRect inked = inkedArea(page);
        EXPECT_LE(std::abs(inked.left() - row.expected.left()), 1) << row.guards;
        EXPECT_LE(std::abs(inked.top() - row.expected.top()), 1) << row.guards;
        EXPECT_LE(std::abs(inked.width() - row.expected.width()), 1) << row.guards;
        EXPECT_LE(std::abs(inked.height() - row.expected.height()), 1) << row.guards;
        // The map's two halves where they belong: it is the map, not a stretched blot.
        const bool wide = row.map.width() >= row.map.height();
        const QPoint inFirst = row.expected.topLeft() + QPoint(10, 10);
        const QPoint inSecond = row.expected.topLeft() + (wide ? QPoint(459, 150)    // 3/4 across
                                                               : QPoint(100, 594));  // 3/4 down
        EXPECT_TRUE(near(page.pixel(inFirst), row.first.rgb())) << row.guards;
        EXPECT_TRUE(near(page.pixel(inSecond), row.second.rgb())) << row.guards;
        EXPECT_EQ(pictureDraws(readBytes(pdf)), 1) << row.guards << ": painted once";
    }
}

TEST_F(PrintMap, EachCopyIsASheetWithTheMapOnce) {
    load(twoColourMap(300, 150, Qt::red, Qt::blue));
    const QString pdf = printToPdf();
    platform.printers.answer(PrintDialogResult::Accepted, 3);
    action("mnuPrint")->trigger();
    EXPECT_EQ(form.commonDialog().Copies, 3);
    const QPrinter& printer = platform.printers.printer();
    // A PDF file cannot make copies itself, so each copy is a page of its own.
    ASSERT_FALSE(printer.supportsMultipleCopies());
    ASSERT_EQ(pageCount(pdf), 3);
    EXPECT_EQ(pictureDraws(readBytes(pdf)), 3) << "once on each sheet, not three times on one";
    for (int p = 1; p <= 3; ++p) {
        const QImage page = renderPage(pdf, p);
        EXPECT_TRUE(near(page.pixel(kMargin + 10, kMargin + 10), qRgb(255, 0, 0))) << p;
        EXPECT_TRUE(near(page.pixel(300, 600), qRgb(255, 255, 255))) << p;
    }
}

TEST_F(PrintMap, CancelNoPrinterOrAFailingPrinterPrintNothingAndShowNothing) {
    struct Row {
        const char* guards;
        PrintDialogResult answer;
        QString outputFolder;  // where the printer writes its file
    } const rows[] = {
        {"cancel", PrintDialogResult::Cancelled, {}},
        {"no printer", PrintDialogResult::Failed, {}},
        {"a printer that cannot start", PrintDialogResult::Accepted, "no such folder"},
    };
    load(makeMap(50, 30));
    for (const auto& row : rows) {
        const QString pdf = printToPdf();
        if (!row.outputFolder.isEmpty()) {
            platform.printers.printer().setOutputFileName(dir.path(row.outputFolder + "/p.pdf"));
        }
        platform.printers.answer(row.answer);
        action("mnuPrint")->trigger();
        EXPECT_FALSE(QFileInfo::exists(pdf)) << row.guards;
        EXPECT_TRUE(platform.messages.shown().empty()) << row.guards;
    }
    EXPECT_EQ(platform.printers.requests().size(), std::size(rows));
}

TEST_F(PrintMap, BeforeAnyMapItSaysThereIsNoneAndPrintsNothing) {
    EXPECT_EQ(noMapToPrintMessage(), kNoMapToPrint);
    const QString pdf = printToPdf();
    action("mnuPrint")->trigger();
    EXPECT_TRUE(platform.printers.requests().empty()) << "told before choosing a printer";
    ASSERT_EQ(platform.messages.shown().size(), 1U);
    EXPECT_EQ(platform.messages.shown()[0], kNoMapToPrint);
    EXPECT_FALSE(QFileInfo::exists(pdf));
}
