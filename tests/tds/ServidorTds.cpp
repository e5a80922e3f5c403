#include "ServidorTds.h"

#include <sqlite3.h>

namespace prueba {

ServidorTds::ServidorTds(const QString& guion) : ServidorTds(guion, Opciones()) {}

ServidorTds::ServidorTds(const QString& guion, const Opciones& opciones) : op_(opciones)
{
    arrancar(guion);
}

ServidorTds::~ServidorTds()
{
    parar();
}

void ServidorTds::arrancar(const QString& guion)
{
    if (!carpeta_.isValid()) {
        fallo_ = QStringLiteral("sin carpeta temporal");
        return;
    }
    archivo_ = carpeta_.filePath(op_.base + QStringLiteral(".db"));
    sqlite3* db = nullptr;
    if (sqlite3_open(archivo_.toUtf8().constData(), &db) != SQLITE_OK) {
        fallo_ = QStringLiteral("no se pudo crear ") + archivo_;
        sqlite3_close(db);
        return;
    }
    char* msg = nullptr;
    if (!guion.isEmpty() && sqlite3_exec(db, guion.toUtf8().constData(), nullptr, nullptr, &msg) != SQLITE_OK) {
        fallo_ = QStringLiteral("guion: ") + QString::fromUtf8(msg);
        sqlite3_free(msg);
        sqlite3_close(db);
        return;
    }
    sqlite3_close(db);

    QStringList args = {QStringLiteral("--archivo"), archivo_, QStringLiteral("--base"), op_.base, QStringLiteral("--usuario"),
                        op_.usuario + QLatin1Char(':') + op_.clave};
    for (const QString& u : op_.otrosUsuarios) args << QStringLiteral("--usuario") << u;
    if (!op_.intercalacion.isEmpty()) args << QStringLiteral("--intercalacion") << op_.intercalacion;
    if (!op_.idioma.isEmpty()) args << QStringLiteral("--idioma") << op_.idioma;
    if (op_.truncado2628) args << QStringLiteral("--truncado-2628");
    if (op_.traza) args << QStringLiteral("--traza");
    proceso_.setProcessChannelMode(op_.traza && !op_.capturarTraza ? QProcess::ForwardedErrorChannel : QProcess::SeparateChannels);
    proceso_.start(QStringLiteral(PERMUTAL_SERVIDOR_TDS), args);
    if (!proceso_.waitForStarted(10000)) {
        fallo_ = QStringLiteral("no arranca: ") + proceso_.errorString();
        return;
    }
    while (!proceso_.canReadLine() && proceso_.state() == QProcess::Running) proceso_.waitForReadyRead(10000);
    const QByteArray linea = proceso_.readLine().trimmed();
    bool ok = false;
    const int p = linea.toInt(&ok);
    if (!ok || p <= 0) {
        fallo_ = QStringLiteral("sin puerto: ") + QString::fromUtf8(linea + proceso_.readAllStandardError());
        proceso_.kill();
        proceso_.waitForFinished(5000);
        return;
    }
    puerto_ = p;
}

QString ServidorTds::textoConexion() const
{
    return QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1,%1;Database =%2;UId=%3;Pwd=%4;").arg(puerto_).arg(op_.base, op_.usuario, op_.clave);
}

QString ServidorTds::textoOdbc() const
{
    return QStringLiteral("Driver={FreeTDS};Server=127.0.0.1;Port=%1;Database=%2;UID=%3;PWD=%4;TDS_Version=7.4;")
        .arg(puerto_)
        .arg(op_.base, op_.usuario, op_.clave);
}

bool ServidorTds::orden(const char* texto)
{
    if (proceso_.state() != QProcess::Running) return false;
    proceso_.write(QByteArray(texto) + '\n');
    proceso_.waitForBytesWritten(5000);
    while (!proceso_.canReadLine() && proceso_.state() == QProcess::Running)
        if (!proceso_.waitForReadyRead(10000)) break;
    return proceso_.readLine().trimmed() == "ok";
}

QStringList ServidorTds::trazaRecibida()
{
    // The round trip of "eco" lets what the server wrote before it reach us.
    orden("eco");
    traza_ += QString::fromUtf8(proceso_.readAllStandardError());
    return traza_.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool ServidorTds::cortar() { return orden("cortar"); }
bool ServidorTds::rechazar() { return orden("rechazar"); }
bool ServidorTds::aceptar() { return orden("aceptar"); }

void ServidorTds::parar()
{
    if (proceso_.state() == QProcess::NotRunning) return;
    proceso_.write("salir\n");
    proceso_.closeWriteChannel();
    if (!proceso_.waitForFinished(10000)) {
        proceso_.kill();
        proceso_.waitForFinished(5000);
    }
    puerto_ = 0;
}

}  // namespace prueba
