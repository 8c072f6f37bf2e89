// Saves a picture of the statistics window on a generated history:
//   statistics_screenshots STATISTICS.png [GAMES [SEED [WIDTHxHEIGHT [practice]]]]
// (default 400 games, seed 7, the design size; "practice" shows practice games apart)
#include "history/historydatabase.h"
#include "tools/historygen/historygen.h"
#include "ui/statisticsform.h"
#include "widgets/look.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 6) {
        std::fprintf(stderr, "usage: %s STATISTICS.png [GAMES [SEED [WIDTHxHEIGHT [practice]]]]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    look::installFontSubstitutions();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quenvalehistory.db"));
    {
        qv::history::HistoryDatabase db;
        db.open(QFile::encodeName(path).toStdString());
        qv::historygen::generateHistory(db, argc > 2 ? std::atol(argv[2]) : 400,
                                        std::uint32_t(argc > 3 ? std::atol(argv[3]) : 7), std::time(nullptr));
    }
    TStatistics window(path);
    if (argc > 4) {
        const QStringList size = QString::fromLocal8Bit(argv[4]).split(QLatin1Char('x'));
        if (size.size() == 2)
            window.resize(size[0].toInt(), size[1].toInt());
    }
    if (argc > 5)
        window.findChild<QCheckBox *>(QStringLiteral("check_practice"))->setChecked(true);
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not save the picture\n");
        return 1;
    }
    return 0;
}
