#pragma once
// The statement trace as a test fixture: PERMUTAL_TRAZA_SQL points at a file of
// a temporary folder while the object lives; leer() gives what the connections
// received, in order.
#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>
#include <ostream>
#include <vector>

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace prueba {

struct OpTraza {
    QString op;      // execute, open, begin, commit, rollback
    QString sql;     // the text as the connection received it
    bool error = false;
};

class TrazaTemporal {
public:
    TrazaTemporal()
        : ruta_(dir_.path() + QStringLiteral("/traza.jsonl")), anterior_(qgetenv("PERMUTAL_TRAZA_SQL")),
          habia_(qEnvironmentVariableIsSet("PERMUTAL_TRAZA_SQL"))
    {
        qputenv("PERMUTAL_TRAZA_SQL", ruta_.toUtf8());
    }
    ~TrazaTemporal()
    {
        if (habia_) qputenv("PERMUTAL_TRAZA_SQL", anterior_);
        else qunsetenv("PERMUTAL_TRAZA_SQL");
    }
    TrazaTemporal(const TrazaTemporal&) = delete;
    TrazaTemporal& operator=(const TrazaTemporal&) = delete;

    void vaciar() { QFile::remove(ruta_); }

    std::vector<OpTraza> leer() const
    {
        std::vector<OpTraza> r;
        QFile f(ruta_);
        if (!f.open(QIODevice::ReadOnly)) return r;
        for (const QByteArray& linea : f.readAll().split('\n')) {
            if (linea.trimmed().isEmpty()) continue;
            const QJsonObject o = QJsonDocument::fromJson(linea).object();
            r.push_back({o.value(QStringLiteral("op")).toString(), o.value(QStringLiteral("sql")).toString(),
                         !o.value(QStringLiteral("error")).isNull()});
        }
        return r;
    }

    // The texts of the operations of one kind.
    std::vector<QString> textos(const char* op) const
    {
        std::vector<QString> r;
        for (const OpTraza& o : leer())
            if (o.op == QLatin1String(op)) r.push_back(o.sql);
        return r;
    }

private:
    QTemporaryDir dir_;
    QString ruta_;
    QByteArray anterior_;
    bool habia_;
};

}  // namespace prueba
