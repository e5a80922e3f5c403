#include "MenuExes.h"

#include "ado/TextoConexion.h"
#include "companion/Operador.h"
#include "companion/Velmora2.h"
#include "data/Pasos.h"
#include "data/ReportaError.h"
#include "data/Sesion.h"

#include <QProcess>
#include <functional>

namespace consulta {

namespace {
constexpr int32_t ArchivoNoEncontrado = 53;   // the classic "file not found" of a failed start

bool esRuta(const QString& opcion)
{
    return opcion.contains(QLatin1Char('\\')) || opcion.contains(QLatin1Char('/'));
}
}  // namespace

QString LineaComandosSesion(const QString& ParametroAdicional)
{
    const datos::DB_Dll& db = datos::gDB();
    return QStringLiteral(" ; @server=") + db.gServidor + QStringLiteral("; @dbname=") + db.gDBName + QStringLiteral("; @usuario=")
           + db.gUsuario + QStringLiteral("; @Password=") + db.gUserPassWord + QStringLiteral("; @ParametroAdicional=")
           + ParametroAdicional + QStringLiteral("; velm@ ; @UsuarioLogeado = ") + datos::gUsuarioLogeado + QStringLiteral("; @Caja=")
           + datos::gCaja + QStringLiteral(";");
}

QString ProgramaDeOpcion(const QString& Opcion)
{
    if (esRuta(Opcion)) {
        // Only a real "SHELL:" prefix is dropped: a bare path keeps its first characters.
        const QString ruta = Opcion.startsWith(QLatin1String("SHELL:"), Qt::CaseInsensitive) ? Opcion.mid(6) : Opcion;
        return QString(ruta).replace(QLatin1Char('\\'), QLatin1Char('/'));
    }
    const QString carpeta = velmora::CompletaRuta(ado::carpetaAplicacion());
    if (Opcion.contains(QLatin1String("SHELL"), Qt::CaseInsensitive)) return carpeta + Opcion.mid(6);
    return carpeta + Opcion;
}

void MenuExes(QString& Opcion, QString& ParametroAdicional, long& IdTarea)
{
    QString linea, programa;
    const auto reporte = [](const ado::Fallo& f) { return datos::ReportaError(f, std::nullopt, QStringLiteral("MenuExes")); };
    const std::function<void()> pasos[] = {
        [&] {
            const qsizetype blanco = ParametroAdicional.indexOf(QLatin1Char(' '));
            if (blanco >= 0) ParametroAdicional = ParametroAdicional.mid(blanco + 1);
        },
        [&] { linea = LineaComandosSesion(ParametroAdicional); },
        [&] { programa = ProgramaDeOpcion(Opcion); },
        [&] {
            // The started program gets the whole command-line text as its one argument.
            qint64 pid = 0;
            if (!QProcess::startDetached(programa, {linea}, ado::carpetaAplicacion(), &pid) || pid <= 0)
                throw ado::Fallo(ArchivoNoEncontrado, QStringLiteral("No se encontró el archivo ") + programa, velmora::NombreEjecutable());
            IdTarea = static_cast<long>(pid);
        },
        [&] {
            if (IdTarea == 0)
                velmora::MsgBox(QStringLiteral("Opcion no Implementada!") + QLatin1Char('\r') + QStringLiteral("Comuniquese con su proveedor de sistemas"),
                                velmora::botones::Critico, QStringLiteral("Atención"));
        },
    };
    for (const auto& p : pasos)
        if (datos::paso(p, reporte) == datos::Siguiente::Salir) return;
}

ProgramaDeTabla programaDeTabla(const QString& tablaConsulta)
{
    const QString t = tablaConsulta.trimmed();
    const auto es = [&t](const char* nombre) { return t.compare(QLatin1String(nombre), Qt::CaseInsensitive) == 0; };
    if (es("V_TA_RUBROS") || es("V_TA_UNIDAD")) return {QStringLiteral("SHELL:Drosvel"), QString(), true};
    if (es("VT_CLIENTES")) return {QStringLiteral("SHELL:Quintaro"), QStringLiteral("1"), false};
    if (es("VT_PROVEEDORES")) return {QStringLiteral("SHELL:Quintaro"), QStringLiteral("0"), false};
    if (es("V_TA_Tecnicos")) return {QStringLiteral("SHELL:Malvecin"), QString(), false};
    if (es("V_TA_VENDEDORES")) return {QStringLiteral("SHELL:Ostrapel"), QString(), false};
    if (es("V_MA_ARTICULOS") || es("VT_MA_ARTICULOS")) return {QStringLiteral("SHELL:Brunelka"), QString(), false};
    return {QStringLiteral("SHELL:Drosvel"), QString(), true};
}

long nuevoDesdeTabla(QString& tablaConsulta)
{
    ProgramaDeTabla p = programaDeTabla(tablaConsulta);
    long IdTarea = 0;
    if (p.ParametroEsTabla)
        MenuExes(p.Opcion, tablaConsulta, IdTarea);
    else
        MenuExes(p.Opcion, p.Parametro, IdTarea);
    return IdTarea;
}

}  // namespace consulta
