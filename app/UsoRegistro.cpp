// Access rights and usage log: one Control_Acceso row per start of the program.
#include "Inicio.h"
#include "Sesion.h"

#include "companion/Velmora2.h"
#include "data/Guiones.h"
#include "data/Literales.h"
#include "data/Pasos.h"
#include "data/Sesion.h"

#include <QDateTime>

#include <functional>

namespace app {

namespace {
const QString kSupervisor = QStringLiteral("SUPERVISOR QUENLOR MC");
}

void RegistraIngreso(QString& tarea)
{
    datos::DB_Dll& db = datos::gDB();
    const QString ejecutable = velmora::NombreEjecutable();
    QString entradaMenu;
    datos::RecordsetRef rs;
    const std::function<void()> pasos[] = {
        [&] {
            if (tarea.isEmpty()) tarea = ejecutable;
        },
        [&] { gUsuarioLogeado = db.gUsuario; },
        [&] {
            // The blank before the closing quote is the suite's own; the server ignores trailing blanks.
            QString sql = QStringLiteral("SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , TA_MENU.Nombre ")
                          + QStringLiteral(" FROM TA_TAREAS  with(nolock) INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave ")
                          + QStringLiteral(" WHERE (TA_TAREAS.USUARIO = '") + datos::comillas(gUsuarioLogeado)
                          + QStringLiteral(" ') AND (TA_MENU.Proceso LIKE '%") + datos::patronLike(tarea) + QStringLiteral("%')");
            db.AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly);
        },
        [&] {
            if (!rs->EOF_()) {
                entradaMenu = velmora::CampoATexto(rs->Fields(QStringLiteral("Nombre")).Value());
            } else if (gUsuarioLogeado.compare(db.gDBName, Qt::CaseInsensitive) == 0
                       || gUsuarioLogeado.compare(kSupervisor, Qt::CaseInsensitive) == 0) {
                entradaMenu = ejecutable;
            }
        },
        [&] { db.CierraRecordset(rs); },
        [&] {
            struct Columna {
                const char* nombre;
                QString valor;
            };
            const Columna columnas[] = {
                {"Maquina", velmora::NombreEquipo().trimmed().toUpper()},
                {"Usuario", gUsuarioLogeado.trimmed().toUpper()},
                {"Formulario", tarea.trimmed().toUpper()},
                {"Tarea", entradaMenu.trimmed().toUpper()},
                {"Ingreso", QDateTime::currentDateTime().toString(datos::FormatoFecha() + QStringLiteral(" ") + datos::FormatoHora())},
                {"NombreUsuario", gUsuarioLogeado},
            };
            bool primero = true;
            for (const Columna& c : columnas) {
                QString nombre = QString::fromLatin1(c.nombre);
                QString valor = c.valor;
                datos::AgregaCampo(nombre, valor, QStringLiteral("'"), primero);
                primero = false;
            }
        },
        [&] {
            datos::gSentencias.assign(1, QString());
            QString tabla = QStringLiteral("Control_Acceso");
            QString condicion;
            bool actualiza = false, conserva = false;
            datos::GeneraSentencia(datos::gCampos, datos::gSentencias, tabla, actualiza, condicion, conserva);
        },
        [&] {
            bool fallo = false;
            int32_t numero = 0;
            QString guion, mensaje;
            datos::GActualizarDatoScript(datos::gSentencias, fallo, numero, false, false, guion, mensaje, true);
        },
    };
    for (const auto& p : pasos) datos::pasoSilencioso(p);
    datos::pasoSilencioso([&] { db.CierraRecordset(rs); });
}

}  // namespace app
