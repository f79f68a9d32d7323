#pragma once
// What a printed PDF says, read back with poppler's pdftotext the way a
// reader would see it: its words, their boxes and their pages. And, with
// ZUL_SCREENSHOT_DIR set, its pages saved there as PNG pictures.
#include <QDir>
#include <QProcess>
#include <QRectF>
#include <QStringList>
#include <QXmlStreamReader>
#include <QtTest>

namespace zul::test {

struct PdfWord {
  int page = 0;  // from 1
  QString text;
  QRectF box;    // in points
  QSizeF paper;  // the page's size in points
};

// Every word of the file; empty when pdftotext is missing or fails.
inline QList<PdfWord> PdfWords(const QString& pdf) {
  QProcess run;
  run.start("pdftotext", {"-bbox", pdf, "-"});
  if (!run.waitForFinished(60000) || run.exitCode() != 0) return {};
  QList<PdfWord> words;
  QXmlStreamReader xml(run.readAllStandardOutput());
  int page = 0;
  QSizeF paper;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const QXmlStreamAttributes a = xml.attributes();
    if (xml.name() == QLatin1String("page")) {
      ++page;
      paper = QSizeF(a.value("width").toDouble(), a.value("height").toDouble());
    } else if (xml.name() == QLatin1String("word")) {
      const QPointF from(a.value("xMin").toDouble(), a.value("yMin").toDouble());
      const QPointF to(a.value("xMax").toDouble(), a.value("yMax").toDouble());
      words.append({page, xml.readElementText(), QRectF(from, to), paper});
    }
  }
  return words;
}

// Words too large or too small to read on their page: a text between 3 and
// 16 points tall is what a printed scheme can show.
inline QStringList Unreadable(const QList<PdfWord>& words) {
  QStringList bad;
  for (const PdfWord& w : words) {
    const double h = w.box.height();
    if (h < 3 || h > 16) bad << QString("%1 (page %2, %3 pt)").arg(w.text).arg(w.page).arg(h, 0, 'f', 1);
  }
  return bad;
}

inline bool HasWord(const QList<PdfWord>& words, const QString& start) {
  return std::any_of(words.begin(), words.end(), [&](const PdfWord& w) { return w.text.startsWith(start); });
}

// The first `pages` pages as `name`-N.png at 100 dpi.
inline void SavePdfPages(const QString& pdf, const QString& name, int pages) {
  const QString dir = qEnvironmentVariable("ZUL_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QProcess run;
  run.start("pdftoppm", {"-r", "100", "-png", "-l", QString::number(pages), pdf, QDir(dir).filePath(name)});
  QVERIFY(run.waitForFinished(60000) && run.exitCode() == 0);
}

}  // namespace zul::test
