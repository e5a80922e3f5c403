// The column widths file CONSULTASLEN.KXD: one line per listed table,
// "TABLE","w1|w2|...|" with the widths in twips, Windows-1252, CR LF.
#include "lookup/Lib_FrmCons3.h"

#include "ado/TextoConexion.h"
#include "companion/Cp1252.h"
#include "companion/Velmora2.h"

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QTreeView>

namespace consulta {

namespace {

constexpr Qt::CaseSensitivity CI = Qt::CaseInsensitive;
// The widest column a list can show (32 767 pixels at the classic 15 twips a pixel).
constexpr double kAnchoMaximoTwips = 32767.0 * 15.0;

// The two quoted fields of a line (quotes removed); fewer when the line has fewer.
QStringList camposAnchos(const QString& linea)
{
    QStringList r;
    qsizetype i = 0;
    const qsizetype n = linea.size();
    while (i < n && r.size() < 2) {
        while (i < n && linea[i] == QLatin1Char(' ')) ++i;
        if (i >= n) break;
        if (linea[i] == QLatin1Char('"')) {
            const qsizetype fin = linea.indexOf(QLatin1Char('"'), i + 1);
            r << linea.mid(i + 1, fin < 0 ? -1 : fin - i - 1);
            i = fin < 0 ? n : fin + 1;
            while (i < n && linea[i] != QLatin1Char(',')) ++i;
        } else {
            const qsizetype fin = linea.indexOf(QLatin1Char(','), i);
            r << linea.mid(i, fin < 0 ? -1 : fin - i).trimmed();
            i = fin < 0 ? n : fin;
        }
        if (i < n && linea[i] == QLatin1Char(',')) ++i;
    }
    return r;
}

QStringList lineasDe(const QString& ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QString texto = velmora::desdeCp1252(f.readAll());
    QStringList lineas = texto.split(QLatin1Char('\n'));
    for (QString& l : lineas)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    if (!lineas.isEmpty() && lineas.last().isEmpty()) lineas.removeLast();
    return lineas;
}

ado::Fallo falloArchivo(const QString& ruta)
{
    return ado::Fallo(75, QStringLiteral("Error de acceso a la ruta o el archivo: ") + ruta, QStringLiteral("GrabaAnchosColumnas"));
}

}  // namespace

QString Lib_FrmCons3::archivoAnchos()
{
    return velmora::CompletaRuta(ado::carpetaAplicacion()) + QStringLiteral("CONSULTASLEN.KXD");
}

void Lib_FrmCons3::LeeAnchosColumnas()
{
    const QString ruta = archivoAnchos();
    if (!QFile::exists(ruta)) return;
    if (tablaConsulta_.compare(QLatin1String("Stk_ma_articulos"), CI) == 0) tablaConsulta_ = QStringLiteral("VT_MA_ARTICULOS");

    // A line short of widths ends the reading; widths already applied stay.
    for (const QString& linea : lineasDe(ruta)) {
        const QStringList campos = camposAnchos(linea);
        if (campos.isEmpty() || campos[0].compare(tablaConsulta_, CI) != 0) continue;
        QString anchos = campos.size() > 1 ? campos[1] : QString();
        for (int i = 1; i <= modelo_->columnas(); ++i) {
            const qsizetype barra = anchos.indexOf(QLatin1Char('|'));
            if (barra < 0) return;
            const double w = velmora::TextoANumero(anchos.left(barra));
            // A width no column can take fails as setting it would: the reading ends.
            if (!(w >= 0 && w <= kAnchoMaximoTwips)) return;
            lista_->header()->resizeSection(i - 1, twipsAPixeles(w));
            anchos = anchos.mid(barra + 1);
        }
    }
}

void Lib_FrmCons3::GrabaAnchosColumnas()
{
    if (!GrabarCfg) return;
    const QString ruta = archivoAnchos();
    const QString aux = velmora::CompletaRuta(ado::carpetaAplicacion()) + QStringLiteral("CONSULTASLEN.AUX");

    QByteArray salida;
    auto escribir = [&](const QString& tabla, const QString& anchos) {
        salida += velmora::aCp1252(QStringLiteral("\"") + tabla + QStringLiteral("\",\"") + anchos + QStringLiteral("\"\r\n"));
    };
    for (const QString& linea : lineasDe(ruta)) {
        const QStringList campos = camposAnchos(linea);
        if (campos.isEmpty()) continue;
        if (campos[0].compare(tablaConsulta_, CI) == 0) continue;
        escribir(campos[0], campos.size() > 1 ? campos[1] : QString());
    }
    QString anchos;
    for (int i = 0; i < modelo_->columnas(); ++i) anchos += QString::number(anchoColumnaTwips(i)) + QLatin1Char('|');
    escribir(tablaConsulta_, anchos);

    QFile f(aux);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw falloArchivo(aux);
    if (f.write(salida) != salida.size()) throw falloArchivo(aux);
    f.close();
    // The old file goes only once the new one is complete.
    if (QFile::exists(ruta) && !QFile::remove(ruta)) throw falloArchivo(ruta);
    if (!QFile::rename(aux, ruta)) throw falloArchivo(ruta);
}

}  // namespace consulta
