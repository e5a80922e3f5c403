#pragma once
// The suite's data access class: one database connection, its parameters, and
// every statement, result set and ready-made query of the program.
#include "ado/Connection.h"
#include "ado/Errores.h"
#include "ado/Recordset.h"
#include "ado/Variant.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace datos {

using RecordsetRef = std::shared_ptr<ado::Recordset>;

// What the access dialog shows and gives back when a connection is asked for.
struct PedidoConexion {
    QString servidor, base, usuario, clave;
    int plataforma = 0;   // 0 SQL Server, above 0 ORACLE
};
// Shows the access dialog; true when the operator accepted (the fields then hold
// the typed values). Installed by the access dialog's layer; without it a
// request for parameters counts as cancelled.
using DialogoAcceso = std::function<bool(PedidoConexion&)>;

class DB_Dll {
public:
    DB_Dll();
    ~DB_Dll();
    DB_Dll(const DB_Dll&) = delete;
    DB_Dll& operator=(const DB_Dll&) = delete;

    // --- Public state ---------------------------------------------------------
    // CmdDlg: the file chooser is the operator's (velmora::Operador::ElegirArchivo).
    bool gOpenFlag = false;
    ado::Variant gIgnoraPassWord;
    RecordsetRef glrcs;
    ado::Variant gCursorLocation;
    QString gProveedor;
    QString gDsn;
    QString gServidor;
    QString gDBName;
    QString gUsuario;
    bool gEsAdmin = false;
    QString gUserPassWord;
    QString gConnString;
    QString gExtended;
    QString gLogErr;
    bool ParametrosSQL = false;
    int16_t gKXTimeOut = 0;

    // The connection, created on first use.
    ado::Connection& gCnn();
    std::shared_ptr<ado::Connection> gCnnRef();
    // Makes another connection the class's connection (AbrirRecordset's Conexionactiva).
    void fijarConexion(std::shared_ptr<ado::Connection> c);

    static QString pSQLOLEDB() { return QStringLiteral("SQLOLEDB"); }
    static QString pJETOLEDB40() { return QStringLiteral("Microsoft.Jet.OLEDB.4.0"); }
    static QString pJETOLEDB35() { return QStringLiteral("Microsoft.Jet.OLEDB.3.51"); }

    // --- Connection -------------------------------------------------------------
    void OpenServerADODB(bool PideParametrosSQL = false, long lCursor = 3, const QString& ConnString = QString(),
                         bool ValidaAdmin = true, bool MuestraError = true);
    void ReintentaConectar();
    void OpenLocalADODB(const QString& ConnString = QString(), const QString& CadenaID = QStringLiteral("User Id"),
                        const QString& CadenaPWD = QStringLiteral("Password"));
    // The server connection text built from the parameters (Oracle or SQL Server).
    QString CadenaConexionServidor() const;
    static void fijarDialogoAcceso(DialogoAcceso d);

    // --- Statements and recordsets ------------------------------------------------
    void EjecutaConsultaSQL(QString& SentenciaSQL, long& RecordsAffected, RecordsetRef* Lrcs = nullptr);
    void EjecutaConsultaRSQL(QString& SentenciaSQL, long& RecordsAffected, RecordsetRef* Lrcs = nullptr);
    void AbrirRecordset(QString& SentenciaSQL, RecordsetRef& Lrcs, std::shared_ptr<ado::Connection> Conexionactiva = nullptr,
                        long CursorType = 0, long LockType = 1, long Options = -1, bool ConvOracle = true);
    void CierraRecordset(RecordsetRef& LrcsTemp);
    void QConsulta(const QString& TB, const QString& Rsp, const QString& Cl1, const QString& Cl2, const QString& CmpDisplay,
                   const QString& SQLWHERE = QStringLiteral("Codigo"))
    {
    }
    void QGridConsulta(const QString& Sentencia, const QString& CampoDevuelto1, const QString& gCnnString,
                       const QString& CampoDevuelto2, const QString& CampoDevuelto3)
    {
    }

    // --- Oracle dialect -----------------------------------------------------------
    QString ORACLE_Dicc(const QString& Valor) const;

    // --- Literals and name helpers ------------------------------------------------
    static bool adodate(const ado::Variant& Qtype);
    static QString ADOComilla(const ado::Variant& Qtype);
    static bool ADOText(const ado::Variant& Qtype);
    static bool ADONumeric(const ado::Variant& Qtype);
    static bool ADOCurrency(const ado::Variant& Qtype);
    static bool ADOBoolean(const ado::Variant& Qtype);
    static ado::Variant SQLValue(const ado::Variant& Valor, const QString& Tipo = QStringLiteral("'"));
    static QString stSTF(QString& rsName, int rnPart);
    static QString AddBrackets(QString& rObjName);
    static QString StripConnect(QString& rsTblName);
    static QString StripBrackets(QString& rsObjName);
    static QString StripOwner(QString& rsTblName);
    static QString StripFileName(QString& rsFileName);

    // --- Table queries and schema helpers ------------------------------------------
    ado::Variant BuscaMaximo(const QString& QueTabla, const QString& QueCampo, std::optional<ado::Variant> Tipo = std::nullopt,
                             std::optional<ado::Variant>* Condicion = nullptr);
    ado::Variant BuscaMinimo(const QString& QueTabla, const QString& QueCampo, std::optional<ado::Variant> Tipo = std::nullopt,
                             std::optional<ado::Variant> Condicion = std::nullopt);
    ado::Variant BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo, const ado::Variant& Tipo = ado::Variant(8),
                                   const QString& Condicion = QString());
    bool ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo = QStringLiteral("Codigo"),
                         RecordsetRef* Lrcs = nullptr, int Tipodato = 8, const QString& Condicion = QString(), bool SoloLectura = false);
    bool ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo = QStringLiteral("Codigo"),
                       RecordsetRef* Lrcs = nullptr, int Tipodato = 8, const QString& Condicion = QString(), bool SoloLectura = true);
    ado::Variant DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                            const QString& Campo = QStringLiteral("Codigo"), int Tipodato = 8, const QString& Condicion = QString(),
                            bool UsaTrim = true, bool IgnoraError = false);
    void AddField(const QString& Tabla, const QString& Campo, const QString& Tipo, bool PermiteNulos,
                  std::optional<ado::Variant> ValorDefault = std::nullopt);
    bool ExisteTablaDB(const QString& Tabla);
    bool ExisteCampoDB(const QString& Tabla, const QString& Campo);
    bool VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar, const QString& Tipo, bool PermiteNulos,
                    std::optional<ado::Variant> ValorDefault = std::nullopt);
    QString SS_TSinonimos(const QString& SQL) const;

    // --- Error reporting ------------------------------------------------------------
    ado::Variant ArchivoErrores() const { return ado::Variant(gLogErr); }
    void setArchivoErrores(const ado::Variant& v) { gLogErr = v.toText(); }
    int TratamientoErrores(const ado::Fallo& CodErr, std::optional<int> Botones = std::nullopt, const QString& Rutina = QString());

    // The key condition of the existence checks (exposed for the table queries' callers).
    enum class FormaClave { ST, Existe, Datos };
    static QString CondicionClave(FormaClave forma, const QString& Campo, const QString& Valor, int Tipodato, bool UsaTrim = true);

    // --- Lost connection ----------------------------------------------------------
    // The one place where every read and write of the class takes a failure
    // first: when the link itself failed (the driver's SQLState 08...), the
    // connection is brought back (silently, then asking the operator; No ends
    // the program) and the answer is true: the failed step runs again.
    // vueltas counts the reconnections of the caller's call: after the first,
    // the operator is asked before trying again.
    bool recuperaConexion(const ado::Fallo& f, int& vueltas);
    // Whether a failure is the link's own, read from the connection's errors.
    bool conexionPerdida(const ado::Fallo& f);

private:
    void reconectar(bool preguntarAntes);
    void EjecutaScriptOracle(QString& texto, long& RecordsAffected);
    QString FiltraSentencia(QString& sentencia);
    void prepararSentencia(QString& s) const;
    void ejecutar(QString& SentenciaSQL, long& RecordsAffected, RecordsetRef* Lrcs, bool mostrar);
    bool pedirParametros();
    int cajaErrorConexion();
    bool esOracle() const;
    // The one value of a one-row query (an aggregate); Empty without a row or for Null.
    ado::Variant valorUnico(QString texto, const QString& columna);
    bool consultaExiste(const QString& texto, RecordsetRef* Lrcs, bool SoloLectura, bool traducir, bool conexionSesion);

    std::shared_ptr<ado::Connection> cnn_;
    // A batch of this connection left its own transaction open (BEGIN TRAN
    // without COMMIT or ROLLBACK yet): a lost link has undone it on the server.
    bool transaccionAbierta_ = false;
};

}  // namespace datos
