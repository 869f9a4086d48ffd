#pragma once
// What the user reads in windows, apart from how lines may break.
#include <QAbstractItemModel>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTextBoundaryFinder>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaro7::testing {

// A path label's text as read: break hints dropped, no-break characters as the plain ones.
inline std::string readText(const QLabel* label) {
    QString text = label->text();
    text.remove(QChar(0x200B));
    text.replace(QChar(0x00A0), ' ');
    text.replace(QChar(0x2011), '-');
    return text.toStdString();
}

// The places where a line may break, by the platform's text layout: only right after a "/".
inline void expectBreaksOnlyAfterSeparators(const QLabel* label) {
    const QString text = label->text();
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    for (qsizetype at = lines.toNextBoundary(); at > 0 && at < text.size(); at = lines.toNextBoundary()) {
        qsizetype before = at - 1;
        while (before > 0 && text[before] == QChar(0x200B)) --before;
        EXPECT_EQ(text[before], '/') << text.left(at).toStdString() << " | " << text.mid(at).toStdString();
    }
}

// Every column at least its given width and wide enough for its heading and each value.
inline void expectColumnsShowWhole(const QTableView* grid, const std::vector<int>& minimumPixels) {
    const QAbstractItemModel* model = grid->model();
    for (int c = 0; c < model->columnCount() && c < static_cast<int>(minimumPixels.size()); ++c) {
        const int width = grid->columnWidth(c);
        EXPECT_GE(width, minimumPixels[static_cast<std::size_t>(c)]) << c;
        const QString heading = model->headerData(c, Qt::Horizontal).toString();
        EXPECT_GE(width, grid->horizontalHeader()->fontMetrics().horizontalAdvance(heading) + 8) << heading.toStdString();
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString value = model->index(r, c).data().toString();
            EXPECT_GE(width, grid->fontMetrics().horizontalAdvance(value) + 4) << value.toStdString();
        }
    }
}

}  // namespace tessaro7::testing
