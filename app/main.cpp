#include "Arranque.h"
#include "OperadorQt.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--help") || a == QLatin1String("-h") || a == QLatin1String("/?")) {
            QTextStream(stdout) << app::textoAyuda();
            return 0;
        }
    }
    QApplication aplicacion(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Permutal"));
    velmora::instalarOperador(std::make_shared<app::OperadorQt>());
    return app::arrancar(aplicacion.arguments().mid(1));
}
