#include "DB_Dll.h"

#include "DialectoOracle.h"
#include "Escaner.h"
#include "Literales.h"
#include "Pasos.h"
#include "ReportaError.h"
#include "ScriptOracle.h"
#include "Sesion.h"
#include "Sinonimos.h"

#include "ado/TextoConexion.h"
#include "companion/Operador.h"
#include "companion/Terminacion.h"
#include "companion/Velmora2.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace datos {

using ado::Fallo;
using ado::Variant;
namespace num = ado::num;

namespace {
const QString CRLF = QStringLiteral("\r\n");
const QString CR = QStringLiteral("\r");

DialogoAcceso& dialogoAcceso()
{
    static DialogoAcceso d;
    return d;
}

// Keyword tests look at the statement's own words, never inside its literals.
bool contiene(const QString& texto, const char* palabra)
{
    return escaner::contiene(texto, QString::fromLatin1(palabra));
}

}  // namespace

DB_Dll::DB_Dll() = default;
DB_Dll::~DB_Dll() = default;

ado::Connection& DB_Dll::gCnn()
{
    return *gCnnRef();
}

std::shared_ptr<ado::Connection> DB_Dll::gCnnRef()
{
    if (!cnn_) cnn_ = std::make_shared<ado::Connection>();
    return cnn_;
}

void DB_Dll::fijarConexion(std::shared_ptr<ado::Connection> c)
{
    cnn_ = std::move(c);
}

void DB_Dll::fijarDialogoAcceso(DialogoAcceso d)
{
    dialogoAcceso() = std::move(d);
}

// ---------------------------------------------------------------------------
// Connection
// ---------------------------------------------------------------------------

namespace {
// A value that would end its item early (";") or lose its edges travels
// quoted, as OLE DB reads it; ordinary values keep the suite's plain form.
QString valorConexion(const QString& v)
{
    const bool necesita = v.contains(QLatin1Char(';')) || v.startsWith(QLatin1Char('"')) || v.startsWith(QLatin1Char('\''))
                          || v.startsWith(QLatin1Char('{')) || (!v.isEmpty() && (v.front().isSpace() || v.back().isSpace()));
    if (!necesita) return v;
    return QLatin1Char('"') + QString(v).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}
}  // namespace

QString DB_Dll::CadenaConexionServidor() const
{
    if (gServidor.contains(QLatin1Char('#')))
        return QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") + valorConexion(gDBName) + QStringLiteral(";User Id=")
               + valorConexion(gUsuario) + QStringLiteral(";Password=") + valorConexion(gUserPassWord) + QStringLiteral(";");
    return QStringLiteral("PROVIDER=") + pSQLOLEDB() + QStringLiteral(";") + QStringLiteral("Server=") + valorConexion(gServidor)
           + QStringLiteral(";") + QStringLiteral("Database =") + valorConexion(gDBName) + QStringLiteral(";") + QStringLiteral("UId=")
           + valorConexion(gUsuario) + QStringLiteral(";") + QStringLiteral("Pwd=") + valorConexion(gUserPassWord) + QStringLiteral(";")
           + gExtended;
}

bool DB_Dll::pedirParametros()
{
    PedidoConexion p;
    p.base = gDBName;
    p.servidor = gServidor;
    p.usuario = gUsuario;
    p.clave = gUserPassWord;
    p.plataforma = 0;
    const bool aceptado = dialogoAcceso() ? dialogoAcceso()(p) : false;
    if (!aceptado) {
        gOpenFlag = false;
        return false;
    }
    gOpenFlag = true;
    gDBName = p.base;
    gServidor = p.servidor;
    gUsuario = p.usuario;
    gUserPassWord = p.clave;
    if (p.plataforma > 0) {
        gProveedor = QStringLiteral("OraOLEDB.Oracle.1");
        if (!gServidor.contains(QLatin1Char('#'))) gServidor += QLatin1Char('#');
    } else {
        gProveedor = pSQLOLEDB();
    }
    return true;
}

int DB_Dll::cajaErrorConexion()
{
    const ado::Error& e = gCnn().errors().Item(0);
    const DB_Dll& s = gDB();
    const QString texto = QStringLiteral(" Estado de Sql: ") + e.SQLState + CR + QStringLiteral("Numero de Error: ") + QString::number(e.Number) + CR
                          + QStringLiteral("Descripcion: ") + e.Description + CR + QStringLiteral("Codigo Nativo: ") + QString::number(e.NativeError)
                          + CR + CRLF + QStringLiteral("Nombre de Proceso: ") + velmora::NombreEjecutable() + CR + CRLF + CRLF
                          + QStringLiteral("1. Verifique el Usuario, contraseña y base de datos") + CRLF
                          + QStringLiteral("2. Verifique el nombre del servidor, quizas necesite agregarle el nombre de la instancia, por ejemplo : ")
                          + s.gServidor + QStringLiteral("\\VELMORA") + CRLF + QStringLiteral("3. Verifique si el inicio de sesion para el usuario ")
                          + s.gUsuario + QStringLiteral(" existe") + CRLF + CRLF + CRLF + QStringLiteral(" - Desea Intentarlo Nuevamente??? ");
    return velmora::MsgBox(texto, velmora::botones::SiNo + velmora::botones::Critico, QStringLiteral(" Error de Conexion a Base de Datos"));
}

void DB_Dll::OpenServerADODB(bool PideParametrosSQL, long lCursor, const QString& ConnString, bool ValidaAdmin, bool MuestraError)
{
    bool reintentado = false;
    bool terminar = false;
    const std::function<void()> pasos[] = {
        [&] { gOpenFlag = true; },
        [&] {
            if (gProveedor.trimmed().isEmpty()) gProveedor = pSQLOLEDB();
        },
        [&] { gConnString = ConnString.trimmed().isEmpty() ? CadenaConexionServidor() : ConnString; },
        [&] {
            if (!PideParametrosSQL) return;
            if (!pedirParametros()) {
                terminar = true;
                return;
            }
            gConnString = CadenaConexionServidor();
        },
        [&] {
            gCnn().setCursorLocation(lCursor);
            gCnn().Open(gConnString, QString(), QString(), -1);
        },
        [&] {
            if (!ValidaAdmin) {
                gEsAdmin = true;
                terminar = true;
                return;
            }
            if (gDBName.trimmed().isEmpty()) return;
            gCnn().setDefaultDatabase(gDBName);
            if (!ExisteTablaDB(QStringLiteral("TA_USUARIOS"))) return;
            if (!MuestraError) {
                gEsAdmin = true;
                return;
            }
            const Variant adm = DatosTabla(QStringLiteral("ta_usuarios"), gUsuario, QStringLiteral("Administrador"), QStringLiteral("nombre"), 8,
                                           QString(), true, false);
            gEsAdmin = ado::valorNumerico(adm.toText()) == 1;
        },
    };

    size_t i = 0;
    while (i < std::size(pasos) && !terminar) {
        try {
            pasos[i]();
            ++i;
            continue;
        } catch (const std::exception& ex) {
            const Fallo f = comoFallo(ex);
            const bool abierto = f.Number() == num::ObjetoAbierto;
            if (!MuestraError) {
                if (abierto && !reintentado) {
                    reintentado = true;
                    pasoSilencioso([&] { gCnn().Close(); });
                    continue;
                }
                gOpenFlag = false;
                return;
            }
            if (gCnn().errors().Count() > 0) {
                if (cajaErrorConexion() != velmora::respuesta::Si) {
                    gOpenFlag = false;
                    return;
                }
                gCnn().errors().Clear();
                if (!pedirParametros()) return;
                gConnString = CadenaConexionServidor();
                continue;
            }
            if (abierto && !reintentado) {
                reintentado = true;
                pasoSilencioso([&] { gCnn().Close(); });
                continue;
            }
            velmora::MsgBox(f.Description(), velmora::botones::OK, QString());
            gOpenFlag = false;
            return;
        }
    }
}

void DB_Dll::ReintentaConectar()
{
    // The short time-out only serves the reconnection; the session's time-out comes back afterwards.
    long tiempoAnterior = gCnn().CommandTimeout();
    const std::function<void()> pasos[] = {
        [&] { gOpenFlag = false; },
        [&] {
            tiempoAnterior = gCnn().CommandTimeout();
            gCnn().setCommandTimeout(5);
        },
        [&] { gCnn().Close(); },
        [&] { gCnn().Open(gCnn().ConnectionString(), gDB().gUsuario, gDB().gUserPassWord, -1); },
        [&] {
            gCnn().setCommandTimeout(tiempoAnterior);
            gOpenFlag = true;
        },
    };
    correrPasos(pasos, [&](const Fallo& f) {
        if (f.Number() == num::ObjetoCerrado) return 5;
        gOpenFlag = false;
        if (f.Number() == num::FalloNoEspecificado) return 0;
        return TratamientoErrores(f, std::nullopt, QStringLiteral("AbrirRecordset"));
    });
}

void DB_Dll::OpenLocalADODB(const QString& ConnString, const QString& CadenaID, const QString& CadenaPWD)
{
    auto buscarArchivo = [&]() -> bool {
        velmora::PedidoArchivo p{QStringLiteral("Buscar Base de Datos"), QStringLiteral("Base de Datos de Microsoft Access |*.MDB")};
        const auto elegido = velmora::operador().ElegirArchivo(p);
        if (!elegido) return false;
        gDBName = *elegido;
        return true;
    };
    QString clausulaClave;
    bool probadaClaveSesion = false;
    for (;;) {
        if (gDBName.trimmed().isEmpty() && !buscarArchivo()) return;
        const QString texto = (ConnString.trimmed().isEmpty()
                                   ? QStringLiteral("PROVIDER=") + gProveedor + QStringLiteral(";") + QStringLiteral("Data Source =") + gDBName
                                         + QStringLiteral(";") + CadenaID + QStringLiteral("=") + gUsuario + QStringLiteral(";") + CadenaPWD
                                         + QStringLiteral("=") + gUserPassWord + QStringLiteral(";") + gExtended
                                   : ConnString)
                              + clausulaClave;
        QString estado;
        try {
            // A file that is not there is the "file not found" case of the Jet engine.
            if (ConnString.trimmed().isEmpty() && !QFileInfo::exists(gDBName)) throw Fallo(num::FalloNoEspecificado, QStringLiteral("No se encuentra el archivo ") + gDBName);
            gCnn().Open(texto, QString(), QString(), -1);
            gConnString = texto;
            gOpenFlag = true;
            return;
        } catch (const std::exception& ex) {
            const Fallo f = comoFallo(ex);
            if (ConnString.trimmed().isEmpty() && !QFileInfo::exists(gDBName)) estado = QStringLiteral("3024");
            else if (gCnn().errors().Count() > 0) estado = gCnn().errors().Item(0).SQLState.trimmed();
            if (estado == QLatin1String("3024") || estado == QLatin1String("3051") || estado == QLatin1String("3044")) {
                if (!buscarArchivo()) return;
                continue;
            }
            if (estado == QLatin1String("3031")) {
                if (gIgnoraPassWord.toBool()) {
                    // The session password is tried once; refused again, the call ends.
                    if (probadaClaveSesion) return;
                    probadaClaveSesion = true;
                    clausulaClave = QStringLiteral("Jet OLEDB:Database Password=") + gUserPassWord + QStringLiteral(";");
                } else {
                    const auto r = velmora::operador().InputBox(QStringLiteral("ingrese el password:"), QStringLiteral("Password Access"), QString());
                    if (!r || r->isEmpty()) return;
                    clausulaClave = QStringLiteral(" Jet OLEDB:Database Password=") + *r + QStringLiteral(";");
                }
                continue;
            }
            velmora::MsgBox(QString::number(f.Number()) + QStringLiteral("  ") + f.Description(), velmora::botones::Critico, QString());
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Statements and recordsets
// ---------------------------------------------------------------------------

bool DB_Dll::esOracle() const
{
    return cnn_ && ado::dialectoOracle(cnn_->ConnectionString());
}

void DB_Dll::prepararSentencia(QString& s) const
{
    const bool drop = contiene(s, "DROP"), create = contiene(s, "CREATE"), del = contiene(s, "DELETE"), marca = contiene(s, "@ADMIN_");
    if (drop && create) {
        if (del) {
            if (marca) s = QuitaMarcaAdmin(s);
        } else {
            s = marca ? QuitaMarcaAdmin(s) : SS_TSinonimos(s);
        }
        return;
    }
    s = QuitaMarcaAdmin(s);
}

namespace {
// What a text does to a transaction of its own: its last transaction word
// decides (BEGIN TRAN opens, COMMIT or ROLLBACK closes); nullopt when it has none.
std::optional<bool> abreTransaccion(const QString& s)
{
    if (!s.contains(QLatin1String("BEGIN"), Qt::CaseInsensitive) && !s.contains(QLatin1String("COMMIT"), Qt::CaseInsensitive)
        && !s.contains(QLatin1String("ROLLBACK"), Qt::CaseInsensitive))
        return std::nullopt;
    const escaner::Lectura l(s);
    auto ultima = [&](const char* palabra) {
        qsizetype ultima = -1;
        for (qsizetype p = l.buscaPalabra(QLatin1String(palabra)); p >= 0; p = l.buscaPalabra(QLatin1String(palabra), p + 1)) ultima = p;
        return ultima;
    };
    qsizetype comienzo = -1;
    for (qsizetype p = l.buscaPalabra(QLatin1String("BEGIN")); p >= 0; p = l.buscaPalabra(QLatin1String("BEGIN"), p + 1))
        if (l.buscaClausula({"begin", "tran"}, p) == p || l.buscaClausula({"begin", "transaction"}, p) == p) comienzo = p;
    const qsizetype fin = std::max(ultima("COMMIT"), ultima("ROLLBACK"));
    if (comienzo < 0 && fin < 0) return std::nullopt;
    return comienzo > fin;
}
}  // namespace

void DB_Dll::ejecutar(QString& SentenciaSQL, long& RecordsAffected, RecordsetRef* Lrcs, bool mostrar)
{
    ado::Errors& erroresSesion = gDB().gCnn().errors();
    // SQL Server 2019 and later report the truncation as 2628; the rule is the same.
    auto regla8152 = [&]() -> bool {
        const long n = erroresSesion.Count();
        if (n >= 1 && n <= 2 && !contiene(SentenciaSQL, "TRANS")
            && (erroresSesion.Item(0).NativeError == ado::nativo::Truncado || erroresSesion.Item(0).NativeError == ado::nativo::TruncadoConValor)) {
            erroresSesion.Clear();
            return true;
        }
        return false;
    };
    bool preparada = false;
    int vueltas = 0;
    for (;;) {
        try {
            if (!preparada) {
                prepararSentencia(SentenciaSQL);
                preparada = true;
            }
            if (esOracle()) {
                EjecutaScriptOracle(SentenciaSQL, RecordsAffected);
                return;
            }
            long n = 0;
            auto rs = gCnn().Execute(SentenciaSQL, &n, -1);
            RecordsAffected = n;
            if (Lrcs) *Lrcs = rs;
            if (const auto t = abreTransaccion(SentenciaSQL)) transaccionAbierta_ = *t;
            regla8152();
            return;
        } catch (const std::exception& ex) {
            const Fallo f = comoFallo(ex);
            if (conexionPerdida(f)) {
                // A transaction opened by an earlier text died with the link: the
                // server undid it, so nothing of it may run again in autocommit.
                // The caller finds the link's failure in the collection.
                const bool enTransaccion = transaccionAbierta_ && !abreTransaccion(SentenciaSQL).value_or(false);
                const std::vector<ado::Error> perdida = gCnn().errors().lista();
                if (recuperaConexion(f, vueltas)) {
                    transaccionAbierta_ = false;
                    if (!enTransaccion) continue;
                    for (const ado::Error& e : perdida) gCnn().errors().Add(e);
                    return;
                }
            }
            const bool limpiado = regla8152();
            if (!mostrar || limpiado || contiene(SentenciaSQL, "TRANS")) return;
            switch (f.Number()) {
            case num::FalloNoEspecificado: case num::Integridad: case num::TablaNoExiste: case num::ErrorEnComando:
                return;
            default:
                velmora::MsgBox(f.Description(), velmora::botones::Critico + velmora::botones::OK, QStringLiteral("Aviso al operador!!!"));
            }
            return;
        }
    }
}

void DB_Dll::EjecutaConsultaSQL(QString& SentenciaSQL, long& RecordsAffected, RecordsetRef* Lrcs)
{
    ejecutar(SentenciaSQL, RecordsAffected, Lrcs, false);
}

void DB_Dll::EjecutaConsultaRSQL(QString& SentenciaSQL, long& RecordsAffected, RecordsetRef* Lrcs)
{
    ejecutar(SentenciaSQL, RecordsAffected, Lrcs, true);
}

void DB_Dll::AbrirRecordset(QString& SentenciaSQL, RecordsetRef& Lrcs, std::shared_ptr<ado::Connection> Conexionactiva, long CursorType,
                            long LockType, long Options, bool ConvOracle)
{
    if (!Lrcs) Lrcs = std::make_shared<ado::Recordset>();
    bool oracle = false;
    std::shared_ptr<ado::Connection> activa;
    const std::function<void()> pasos[] = {
        [&] { CierraRecordset(Lrcs); },
        [&] { SentenciaSQL = SS_TSinonimos(SentenciaSQL); },
        [&] { oracle = ado::dialectoOracle(gCnnRef()->ConnectionString()) && ConvOracle; },
        [&] {
            activa = Conexionactiva ? Conexionactiva : gCnnRef();
            cnn_ = activa;
        },
        [&] { Lrcs->Open(oracle ? ORACLE_Dicc(SentenciaSQL) : SentenciaSQL, activa.get(), CursorType, LockType, Options); },
    };
    int vueltas = 0;
    correrPasos(pasos, [&](const Fallo& f) {
        if (recuperaConexion(f, vueltas)) return 4;
        // The classic rule for any other unspecified failure: reconnect, then report.
        if ((f.Number() == num::FalloNoEspecificado || f.Number() == num::ConexionInvalida) && gCnn().errors().Count() > 0) reconectar(false);
        return TratamientoErrores(f, std::nullopt, QStringLiteral("AbrirRecordset"));
    });
}

// ---------------------------------------------------------------------------
// Lost connection
// ---------------------------------------------------------------------------

bool DB_Dll::conexionPerdida(const Fallo& f)
{
    if (f.Number() != num::FalloNoEspecificado && f.Number() != num::ConexionInvalida) return false;
    if (!cnn_) return false;
    for (const ado::Error& e : cnn_->errors().lista())
        if (e.SQLState.startsWith(QLatin1String("08"))) return true;
    return false;
}

void DB_Dll::reconectar(bool preguntarAntes)
{
    if (preguntarAntes) {
        gOpenFlag = false;
    } else {
        ReintentaConectar();
        if (!gOpenFlag) ReintentaConectar();
    }
    while (!gOpenFlag) {
        const DB_Dll& s = gDB();
        const QString texto = CRLF + CRLF + CRLF + QStringLiteral("Se perdio la conexion con la base de datos ") + s.gDBName + CRLF
                              + QStringLiteral(" Servidor ") + s.gServidor + CRLF + CRLF + QStringLiteral("Elija SI para reintentar conectarse")
                              + CRLF + QStringLiteral("Elija NO para cerrar la aplicacion") + CRLF + CRLF + CRLF;
        if (velmora::MsgBox(texto, velmora::botones::SiNo + velmora::botones::Critico, QStringLiteral("AVISO AL OPERADOR")) != velmora::respuesta::Si)
            velmora::TerminaPrograma(0);
        ReintentaConectar();
    }
}

bool DB_Dll::recuperaConexion(const Fallo& f, int& vueltas)
{
    if (!conexionPerdida(f)) return false;
    // A second loss within the same call is the operator's to decide, so a
    // server that drops every new link cannot keep the program spinning.
    reconectar(vueltas++ > 0);
    return true;
}

void DB_Dll::CierraRecordset(RecordsetRef& LrcsTemp)
{
    if (!LrcsTemp) return;
    long estado = 1;
    const std::function<void()> pasos[] = {
        [&] { estado = LrcsTemp->State(); },
        [&] {
            if (estado != ado::adStateClosed) LrcsTemp->Close();
        },
    };
    correrPasos(pasos, [&](const Fallo& f) {
        if (f.Number() == num::NoPermitidoContexto) {
            pasoSilencioso([&] {
                LrcsTemp->CancelUpdate();
                if (LrcsTemp->State() != ado::adStateClosed) LrcsTemp->Close();
            });
            return 0;
        }
        return TratamientoErrores(f, std::nullopt, QStringLiteral("CierraRecordset"));
    });
}

// ---------------------------------------------------------------------------
// Oracle dialect, literals, names
// ---------------------------------------------------------------------------

QString DB_Dll::ORACLE_Dicc(const QString& Valor) const
{
    return datos::ORACLE_Dicc(Valor, gConnString);
}

bool DB_Dll::adodate(const Variant& t) { return datos::adodate(t); }
QString DB_Dll::ADOComilla(const Variant& t) { return datos::ADOComilla(t); }
bool DB_Dll::ADOText(const Variant& t) { return datos::ADOText(t); }
bool DB_Dll::ADONumeric(const Variant& t) { return datos::ADONumeric(t); }
bool DB_Dll::ADOCurrency(const Variant& t) { return datos::ADOCurrency(t); }
bool DB_Dll::ADOBoolean(const Variant& t) { return datos::ADOBoolean(t); }
Variant DB_Dll::SQLValue(const Variant& v, const QString& tipo) { return datos::SQLValue(v, tipo); }
QString DB_Dll::stSTF(QString& n, int parte) { return datos::stSTF(n, parte); }
QString DB_Dll::AddBrackets(QString& n) { return datos::AddBrackets(n); }
QString DB_Dll::StripConnect(QString& n) { return datos::StripConnect(n); }
QString DB_Dll::StripBrackets(QString& n) { return datos::StripBrackets(n); }
QString DB_Dll::StripOwner(QString& n) { return datos::StripOwner(n); }
QString DB_Dll::StripFileName(QString& n) { return datos::StripFileName(n); }

QString DB_Dll::SS_TSinonimos(const QString& SQL) const
{
    return datos::SS_TSinonimos(SQL, gEsAdmin, gConfidencialidad, velmora::NombreEjecutable());
}

// ---------------------------------------------------------------------------
// Scripts on Oracle
// ---------------------------------------------------------------------------

QString DB_Dll::FiltraSentencia(QString& sentencia)
{
    return datos::FiltraSentencia(sentencia);
}

void DB_Dll::EjecutaScriptOracle(QString& texto, long& RecordsAffected)
{
    normalizarScriptOracle(texto);
    QString sentencia;
    // Each statement leaves the caller's text holding the rest, so a failure
    // leaves what was not run.
    while (true) {
        QString resto = texto;
        if (!siguienteSentenciaOracle(resto, sentencia)) break;
        if (sentencia.compare(QLatin1String("SET TRANSACTION"), Qt::CaseInsensitive) == 0) {
            gCnn().BeginTrans();
        } else if (sentencia.compare(QLatin1String("COMMIT"), Qt::CaseInsensitive) == 0) {
            gCnn().CommitTrans();
        } else if (sentencia.compare(QLatin1String("ROLLBACK"), Qt::CaseInsensitive) == 0) {
            gCnn().RollbackTrans();
        } else {
            QString traducida = ORACLE_Dicc(sentencia);
            FiltraSentencia(traducida);
            if (!traducida.trimmed().isEmpty()) {
                long n = 0;
                gCnn().Execute(traducida, &n, -1);
                RecordsAffected += n;
            }
        }
        texto = resto;
    }
    ado::Errors& e = gCnn().errors();
    if (e.Count() == 1 && e.Item(0).Number == num::SinResultado) e.Clear();
}

// ---------------------------------------------------------------------------
// Error reporting
// ---------------------------------------------------------------------------

int DB_Dll::TratamientoErrores(const Fallo& CodErr, std::optional<int> Botones, const QString& Rutina)
{
    QString log = gLogErr;
    if (log.trimmed().isEmpty()) {
        QString carpeta = ado::carpetaAplicacion();
        if (!carpeta.endsWith(QLatin1Char('/'))) carpeta += QLatin1Char('/');
        log = carpeta + QStringLiteral("KXERR.LOG");
    }
    return reportar(CodErr, Botones, Rutina, QStringLiteral(" Aviso al operador!!! - 5 "), log);
}

}  // namespace datos
