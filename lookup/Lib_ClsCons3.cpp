#include "lookup/Lib_ClsCons3.h"

#include "data/Escaner.h"
#include "companion/Cp1252.h"
#include "companion/Operador.h"
#include "companion/Velmora2.h"
#include "data/Configuracion.h"
#include "data/Pasos.h"
#include "data/ReportaError.h"
#include "data/Sesion.h"
#include "lookup/Lib_FrmCons3.h"
#include "lookup/Lib_FrmCons3Tree.h"

#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>

namespace consulta {

namespace escaner = datos::escaner;

namespace {

constexpr Qt::CaseSensitivity CI = Qt::CaseInsensitive;
constexpr qint64 kLargoRegistro = 1202;

// An empty configuration value counts as the colour 0.
ado::Variant nivelStock(const QString& clave)
{
    const QString v = datos::Cfg(clave);
    if (v.trimmed().isEmpty()) return ado::Variant(int32_t(0));
    return ado::Variant(v);
}

// A record's text field without its padding (codes 0 and 255) and blanks.
QString limpio(const QString& campo)
{
    return velmora::QuitaCaracteres(campo, QChar(0), QChar(0xFF)).trimmed();
}

bool empiezaConWhere(const QString& w)
{
    if (!w.startsWith(QLatin1String("WHERE"), CI)) return false;
    return w.size() == 5 || w[5].isSpace() || w[5] == QLatin1Char('(');
}

struct RegConsulta {
    QString DefTitulo, DefTabla, DefCampos, DefFiltro;
};

RegConsulta desdeBytes(const QByteArray& r)
{
    RegConsulta reg;
    reg.DefTitulo = velmora::desdeCp1252(r.mid(0, 100));
    reg.DefTabla = velmora::desdeCp1252(r.mid(100, 100));
    reg.DefCampos = velmora::desdeCp1252(r.mid(200, 500));
    reg.DefFiltro = velmora::desdeCp1252(r.mid(700, 500));
    return reg;
}

}  // namespace

Lib_ClsCons3::Lib_ClsCons3()
{
    CmpsDevueltos = std::make_shared<Coleccion>();
    Valores = std::make_shared<Coleccion>();
    MuestraStock = datos::Cfg(QStringLiteral("MostrarStockenConsultas"));
    StkNivel1 = nivelStock(QStringLiteral("Stk_Nivel1"));
    StkNivel2 = nivelStock(QStringLiteral("Stk_Nivel2"));
    StkNivel3 = nivelStock(QStringLiteral("Stk_Nivel3"));
    StkNivel4 = nivelStock(QStringLiteral("Stk_Nivel4"));
    BusquedaLike = datos::Cfg(QStringLiteral("UsaConsultaLike")).compare(QLatin1String("SI"), CI) == 0;
}

Lib_ClsCons3::~Lib_ClsCons3()
{
    CmpsDevueltos.reset();
    Valores.reset();
}

QString Lib_ClsCons3::ArmaConsulta(QString SQL, QString& CampoBusqueda, QString& Where, QString& SentenciaOpcional)
{
    using datos::pasoSilencioso;

    // 1. Row limit.
    long n = 0;
    pasoSilencioso([&] {
        const double v = ado::valorNumerico(datos::Cfg(QStringLiteral("TopConsArt")));
        n = v >= 1 && v < 2147483647.0 ? static_cast<long>(v) : 0;
    });
    if (n <= 0) n = 1000;
    const QString top = QString::number(n);

    // 2. A caller's condition goes in parentheses.
    pasoSilencioso([&] {
        const QString w = Where.trimmed();
        // A condition that brings its own WHERE is not wrapped: " (WHERE ...) "
        // could never run.
        if (w.size() > 1 && !w.startsWith(QLatin1Char('(')) && !empiezaConWhere(w)) Where = QStringLiteral(" (") + Where + QStringLiteral(") ");
    });

    // Build from the table's fields.
    auto ArmaSentencia = [&] {
        if (!SentenciaOpcional.isEmpty()) {
            SQL = SentenciaOpcional;
            return;
        }
        QString columnas;
        pasoSilencioso([&] {
            if (SQL.compare(QLatin1String("V_TA_DEPOSITO"), CI) == 0) {
                columnas = QStringLiteral("Descripcion,IdDeposito,UnidadNegocio,");
                CampoBusqueda = QStringLiteral("IDDEPOSITO");
                return;
            }
            datos::DB_Dll& db = datos::gDB();
            datos::RecordsetRef rs;
            QString s = QStringLiteral("select top 1 * from ") + SQL;
            db.AbrirRecordset(s, rs);
            const bool tablaConTodo = SQL.compare(QLatin1String("v_mv_mutuales"), CI) == 0
                                      || SQL.compare(QLatin1String("V_MV_TROPA_STOCK"), CI) == 0;
            pasoSilencioso([&] {
                if (!rs || rs->State() != 1) return;
                for (long i = 0; i < rs->FieldCount(); ++i) {
                    const QString nombre = rs->Fields(i).Name();
                    const QString N = nombre.toUpper();
                    if (N == QLatin1String("ID") || N == QLatin1String("FECHAHORA_MODIFICACION") || N == QLatin1String("FECHAHORA_GRABACION")) {
                        if (!tablaConTodo) continue;
                        CampoBusqueda = nombre;
                    } else if (N == QLatin1String("DESCRIPCION") || N == QLatin1String("NOMBRE") || N == QLatin1String("DETALLE")) {
                        CampoBusqueda = nombre;
                    } else if (columnas.trimmed().isEmpty()) {
                        CampoBusqueda = nombre;
                    }
                    // In front: the columns end up in reverse field order.
                    columnas = nombre + QLatin1Char(',') + columnas;
                }
            });
            db.CierraRecordset(rs);
        });
        if (columnas.trimmed().isEmpty()) columnas = QStringLiteral(" * ");
        else columnas.chop(1);
        const QString condicion = QStringLiteral(" ") + Where;
        SQL = QStringLiteral("SELECT TOP ") + top + QStringLiteral(" ") + columnas + QStringLiteral(" FROM ") + SQL
              + (condicion.trimmed().isEmpty() ? QString() : QStringLiteral(" WHERE ")) + condicion;
        // Without a search field there is nothing to order by (an empty ORDER BY
        // would only make the database refuse the statement).
        if (!CampoBusqueda.trimmed().isEmpty()) SQL += QStringLiteral(" ORDER BY ") + CampoBusqueda;
    };

    // 3. The source.
    const bool esSentencia = escaner::contiene(SQL, QStringLiteral("SELECT"));
    if (esSentencia || !gUsarMascarasConsultas) {
        if (!esSentencia) {
            ArmaSentencia();
            return SQL;
        }
        pasoSilencioso([&] {
            SQL = escaner::reemplaza(SQL, QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("VT_MA_ARTICULOS"));
        });
        pasoSilencioso([&] {
            if (!Where.trimmed().isEmpty()) {
                if (!escaner::contiene(Where, QStringLiteral("WHERE"))) Where = QStringLiteral(" WHERE ") + Where;
                if (!SQL.endsWith(QLatin1Char(' ')) && !Where.startsWith(QLatin1Char(' '))) SQL += QLatin1Char(' ');
                SQL = SQL + Where;
            }
        });
        return SQL;
    }

    // A file that is there but cannot be read (a folder, a broken link, a read
    // error) is passed over like a missing one, and the error log says why.
    auto informarIlegible = [&](const QString& motivo) {
        datos::ReportaError(ado::Fallo(75, QStringLiteral("No se puede leer el archivo de consultas ") + gRutaMascaraConsultas + QStringLiteral(": ") + motivo
                                               + QStringLiteral(". Se arma la consulta con los campos de la tabla."),
                                       QStringLiteral("consultas.kxd")),
                            velmora::botones::OK + velmora::botones::Exclamacion, QStringLiteral("ConsultaSearch"));
    };
    QFile archivo(gRutaMascaraConsultas);
    const QFileInfo info(gRutaMascaraConsultas);
    if (gRutaMascaraConsultas.isEmpty() || !(info.exists() || info.isSymLink())) {
        ArmaSentencia();
        return SQL;
    }
    if (!info.exists() || info.isDir() || !archivo.open(QIODevice::ReadOnly)) {
        informarIlegible(!info.exists() ? QStringLiteral("el enlace no lleva a ningún archivo")
                         : info.isDir() ? QStringLiteral("es una carpeta")
                                        : QStringLiteral("no se puede abrir"));
        ArmaSentencia();
        return SQL;
    }
    const QString buscada = SQL.trimmed();
    std::optional<RegConsulta> hallado;
    bool errorLectura = false;
    pasoSilencioso([&] {
        for (;;) {
            const QByteArray bytes = archivo.read(kLargoRegistro);
            if (bytes.isEmpty()) {
                errorLectura = archivo.error() != QFileDevice::NoError;
                break;
            }
            RegConsulta reg = desdeBytes(bytes);
            if (limpio(reg.DefTabla).compare(buscada, CI) == 0) {
                hallado = std::move(reg);
                break;
            }
            if (bytes.size() < kLargoRegistro) break;
        }
    });
    if (!hallado && errorLectura) informarIlegible(QStringLiteral("error de lectura"));
    if (!hallado) {
        archivo.close();
        ArmaSentencia();
        return SQL;
    }

    QString tabla = limpio(hallado->DefTabla);
    QString columnas = limpio(velmora::Reemplaza(hallado->DefCampos, QStringLiteral("|"), QStringLiteral(",")));
    if (columnas.startsWith(QLatin1Char(','))) columnas.remove(0, 1);
    if (columnas.endsWith(QLatin1Char(','))) columnas.chop(1);
    if (columnas.isEmpty()) columnas = QStringLiteral("*");

    if (CampoBusqueda.isEmpty()) {
        const qsizetype coma = columnas.indexOf(QLatin1Char(','));
        if (coma < 0) {
            archivo.close();
            velmora::MsgBox(QStringLiteral("Debe configurar la consulta para esta tabla"), velmora::botones::Informacion,
                            QStringLiteral("Aviso al operador"));
            return QString();
        }
        CampoBusqueda = columnas.left(coma);
    }

    QString condicion = limpio(hallado->DefFiltro);
    if (condicion.isEmpty() && !Where.trimmed().isEmpty()) condicion = Where;

    QString porDefecto;
    if (tabla.compare(QLatin1String("VT_PROVEEDORES"), CI) == 0 || tabla.compare(QLatin1String("VT_CLIENTES"), CI) == 0) {
        porDefecto = QStringLiteral("Dada_De_Baja = 0");
    } else if (tabla.compare(QLatin1String("V_MA_ARTICULOS"), CI) == 0) {
        tabla = QStringLiteral("VT_MA_ARTICULOS");
        porDefecto = QStringLiteral("SUSPENDIDO = 0");
    }
    if (condicion.trimmed().isEmpty() && !porDefecto.isEmpty()) condicion = porDefecto;

    SQL = QStringLiteral("SELECT TOP ") + top + QStringLiteral(" ") + columnas + QStringLiteral(" FROM ") + tabla + QStringLiteral("  with(nolock) ")
          + (condicion.trimmed().isEmpty() ? QString() : QStringLiteral(" WHERE ")) + condicion;
    if (!CampoBusqueda.isEmpty()) SQL += QStringLiteral(" ORDER BY ") + CampoBusqueda;
    archivo.close();
    return SQL;
}

void Lib_ClsCons3::ConsultaSearch(QString SQL, ColeccionRef& CmpsDevueltos, QString& Clave, QString& CampoBusqueda, QString& Where,
                                  QString& SentenciaOpcional, bool& TreeView, QString& ValoresDefault)
{
    using datos::pasoSilencioso;

    const QString sentencia = ArmaConsulta(SQL, CampoBusqueda, Where, SentenciaOpcional);
    // An incomplete definition has been reported: no window, nothing reset.
    if (sentencia.isEmpty()) return;

    std::unique_ptr<Lib_FrmCons3> frm;
    if (TreeView) {
        Valores.reset();
        pasoSilencioso([&] { mostrarArbol(sentencia, CampoDevuelto, Checks, ValorDevuelto, Valores); });
        Checks = false;
    } else {
        frm = std::make_unique<Lib_FrmCons3>();
        pasoSilencioso([&] {
            frm->StkNivel1 = StkNivel1;
            frm->StkNivel2 = StkNivel2;
            frm->StkNivel3 = StkNivel3;
            frm->StkNivel4 = StkNivel4;
            frm->MuestraStock = MuestraStock;
            frm->CfgUsaConsultaLIKE = BusquedaLike;
            frm->OrdenarPorLwv = escaner::clausula(sentencia, {"ORDER", "BY"}) < 0;
            frm->FiltroInicial = Clave;
            frm->CampoBusqueda = CampoBusqueda;
            if (gConnString.isEmpty()) gConnString = datos::gDB().gConnString;
            frm->gConnString = gConnString;
            frm->SQL = sentencia;
            frm->CampoDevuelto = CampoDevuelto;
            frm->CheckBoxes = Checks;
            frm->UsaCantidades = UsaCantidades;
            frm->ValoresDefault = ValoresDefault;
            Valores.reset();
            Cantidades.reset();
            frm->CmpsDevueltos = CmpsDevueltos;
            frm->Valores = Valores;
            frm->Cantidades = Cantidades;
        });
        pasoSilencioso([&] { frm->cargar(); });
        // Rows whose key was in ValoresDefault were checked while loading; a
        // multiple selection starts with none.
        pasoSilencioso([&] {
            if (Checks) frm->modelo().marcarTodas(false);
        });
        pasoSilencioso([&] { frm->exec(); });
        pasoSilencioso([&] {
            Checks = false;
            Valores = frm->Valores;
            Cantidades = frm->Cantidades;
            ValorDevuelto = frm->ValorDevuelto;
            frm->CampoDevuelto.clear();
        });
    }

    // 5. Clean-up.
    CampoDevuelto.clear();
    pasoSilencioso([&] {
        if (CmpsDevueltos) {
            while (CmpsDevueltos->Count() > 0) CmpsDevueltos->Remove(1);
        }
        CmpsDevueltos.reset();
    });
    if (frm) {
        frm->Valores.reset();
        frm->Cantidades.reset();
        frm->descargar();
        frm.reset();
    }
}

// ---------------------------------------------------------------------------
// Plain pick lists on the list window, without a database

namespace {

int maximoLargo(const QString& titulo, const QStringList& textos)
{
    int m = static_cast<int>(titulo.size());
    for (const QString& t : textos) m = std::max(m, static_cast<int>(t.size()));
    return m;
}

}  // namespace

void Lib_ClsCons3::CheckOpciones(const QString& Titulo, ColeccionRef& CmpsDevueltos, const QStringList& Opc)
{
    Lib_FrmCons3 frm;
    frm.setWindowTitle(Titulo);
    frm.ocultarNuevaBusqueda();
    frm.OrdenarPorLwv = true;
    frm.SQL.clear();
    frm.gConnString.clear();
    frm.CampoDevuelto = Titulo;
    frm.CheckBoxes = true;
    frm.CmpsDevueltos = CmpsDevueltos;
    frm.cargar();
    frm.prepararListaSimple(Titulo);
    for (const QString& o : Opc) frm.agregarOpcion(o.mid(1), o.startsWith(QLatin1Char('1')));
    frm.modelo().ordenar(0, Qt::AscendingOrder);
    frm.anchoPorCaracteres(maximoLargo(Titulo, Opc));
    frm.seleccionarFila(0);
    frm.exec();
    Valores = frm.Valores;
    frm.descargar();
}

namespace {
// A single choice among given texts, on the list window without a database.
QString elegirUno(const QString& Titulo, const QStringList& textos)
{
    Lib_FrmCons3 frm;
    frm.setWindowTitle(Titulo);
    frm.ocultarNuevaBusqueda();
    frm.OrdenarPorLwv = true;
    frm.CampoDevuelto = Titulo;
    frm.CheckBoxes = false;
    frm.cargar();
    frm.prepararListaSimple(Titulo);
    for (const QString& t : textos) frm.agregarOpcion(t, false);
    frm.modelo().ordenar(0, Qt::AscendingOrder);
    frm.anchoPorCaracteres(maximoLargo(Titulo, textos));
    frm.seleccionarFila(0);
    frm.exec();
    const QString r = frm.ValorDevuelto.toText();
    frm.descargar();
    return r;
}
}  // namespace

QString Lib_ClsCons3::MenuOpciones(const QString& Titulo, const QStringList& Opc)
{
    return elegirUno(Titulo, Opc);
}

QString Lib_ClsCons3::ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo, const QString&)
{
    QFile f(QueArchivo);
    if (QueArchivo.isEmpty() || !f.open(QIODevice::ReadOnly)) {
        velmora::MsgBox(QStringLiteral("No existe el archivo ") + QueArchivo + QStringLiteral(" que desea consultar consulta "));
        return QString();
    }
    QStringList lineas = velmora::desdeCp1252(f.readAll()).split(QLatin1Char('\n'));
    f.close();
    for (QString& l : lineas)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    if (!lineas.isEmpty() && lineas.last().isEmpty()) lineas.removeLast();

    return elegirUno(Titulo, lineas);
}

}  // namespace consulta
