-- Permutal demo company on Microsoft SQL Server (T-SQL). Creates every table
-- and view the program reads or writes; app/demo/datos.sql fills them.
--
-- Run both files with sqlcmd on an existing, empty database, in one session
-- (the data's dates are written year first, so the session reads them so):
--
--   sqlcmd -S SERVIDOR -U USUARIO -P CLAVE -d PERMUTAL_DEMO -f 65001 -b \
--          -i app/demo/esquema_sqlserver.sql,app/demo/datos.sql
--
-- The same tables as app/demo/esquema.sql (the embedded engine's), with the
-- server's own types: identity keys, lengths the server enforces itself, and
-- the database's case-insensitive collation for texts.

SET DATEFORMAT ymd;
SET NOCOUNT ON;
GO

------------------------------------------------------------------------------
-- Configuration, users, menu rights, usage log, error log
------------------------------------------------------------------------------

CREATE TABLE TA_CONFIGURACION (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    Clave           VARCHAR(50) NOT NULL,
    Valor           VARCHAR(255),
    ValorAux        VARCHAR(255),
    Grupo           VARCHAR(50),
    PoliticaNegocio BIT NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IX_TA_CONFIGURACION_Clave ON TA_CONFIGURACION (Clave);

CREATE TABLE TA_USUARIOS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    nombre          VARCHAR(30) NOT NULL,
    NombreCompleto  VARCHAR(60),
    Administrador   BIT NOT NULL DEFAULT 0,
    Email           VARCHAR(60),
    Activo          BIT NOT NULL DEFAULT 1
);
CREATE UNIQUE INDEX IX_TA_USUARIOS_nombre ON TA_USUARIOS (nombre);

CREATE TABLE TA_MENU (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    Clave           VARCHAR(20) NOT NULL,
    Proceso         VARCHAR(100),
    Nombre          VARCHAR(60),
    ClavePadre      VARCHAR(20),
    Orden           SMALLINT
);
CREATE UNIQUE INDEX IX_TA_MENU_Clave ON TA_MENU (Clave);

CREATE TABLE TA_TAREAS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    USUARIO         VARCHAR(30) NOT NULL,
    TAREA           VARCHAR(20) NOT NULL
);
CREATE UNIQUE INDEX IX_TA_TAREAS_USUARIO ON TA_TAREAS (USUARIO, TAREA);
CREATE INDEX IX_TA_TAREAS_TAREA ON TA_TAREAS (TAREA);

-- One row per start of a program of the suite.
CREATE TABLE Control_Acceso (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    Maquina         VARCHAR(64),
    Usuario         VARCHAR(50),
    Formulario      VARCHAR(50),
    Tarea           VARCHAR(60),
    Ingreso         VARCHAR(20),
    NombreUsuario   VARCHAR(50)
);
CREATE INDEX IX_Control_Acceso_Usuario ON Control_Acceso (Usuario);

-- Failed batches of the suite's programs.
CREATE TABLE AUX_ERR (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    Proceso         VARCHAR(50),
    Fecha           DATETIME,
    Error           INT,
    Descripcion     VARCHAR(250),
    SQL             VARCHAR(MAX),
    PC              VARCHAR(64),
    Usuario         VARCHAR(50)
);

------------------------------------------------------------------------------
-- Customers and suppliers
------------------------------------------------------------------------------

CREATE TABLE VT_PROVEEDORES (
    ID               INT IDENTITY(1,1) PRIMARY KEY,
    CODIGO           VARCHAR(15) NOT NULL,
    Razon_Social     VARCHAR(60) NOT NULL,
    Nombre_Fantasia  VARCHAR(60),
    CALLE            VARCHAR(50) NOT NULL DEFAULT '',
    NUMERO           VARCHAR(10) NOT NULL DEFAULT '',
    PISO             VARCHAR(5) NOT NULL DEFAULT '',
    DEPARTAMENTO     VARCHAR(5) NOT NULL DEFAULT '',
    Telefono         VARCHAR(40),
    Localidad        VARCHAR(40),
    Provincia        VARCHAR(4),
    CPostal          VARCHAR(10),
    Documento_Tipo   VARCHAR(4),
    Numero_Documento VARCHAR(13),
    IVA              CHAR(2),
    Contacto         VARCHAR(40),
    Email            VARCHAR(60),
    Dada_De_Baja     BIT NOT NULL DEFAULT 0,
    FECHAHORA_GRABACION DATETIME
);
CREATE UNIQUE INDEX IX_VT_PROVEEDORES_CODIGO ON VT_PROVEEDORES (CODIGO);
CREATE INDEX IX_VT_PROVEEDORES_Razon_Social ON VT_PROVEEDORES (Razon_Social);

CREATE TABLE VT_CLIENTES (
    ID               INT IDENTITY(1,1) PRIMARY KEY,
    CODIGO           VARCHAR(15) NOT NULL,
    Razon_Social     VARCHAR(60) NOT NULL,
    Contacto         VARCHAR(40),
    CALLE            VARCHAR(50) NOT NULL DEFAULT '',
    NUMERO           VARCHAR(10) NOT NULL DEFAULT '',
    PISO             VARCHAR(5) NOT NULL DEFAULT '',
    DEPARTAMENTO     VARCHAR(5) NOT NULL DEFAULT '',
    Telefono         VARCHAR(40),
    Localidad        VARCHAR(40),
    Provincia        VARCHAR(4),
    CPostal          VARCHAR(10),
    Documento_Tipo   VARCHAR(4),
    Numero_Documento VARCHAR(13),
    IVA              CHAR(2),
    Dada_De_Baja     BIT NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IX_VT_CLIENTES_CODIGO ON VT_CLIENTES (CODIGO);
CREATE INDEX IX_VT_CLIENTES_Razon_Social ON VT_CLIENTES (Razon_Social);

CREATE TABLE MA_CONTACTOS (
    ID                INT IDENTITY(1,1) PRIMARY KEY,
    CODIGO            VARCHAR(15) NOT NULL,
    CUENTA            VARCHAR(15),
    Nombre_y_Apellido VARCHAR(60),
    Domicilio         VARCHAR(90),
    Localidad         VARCHAR(40),
    Telefono          VARCHAR(40),
    Email             VARCHAR(60)
);
CREATE UNIQUE INDEX IX_MA_CONTACTOS_CODIGO ON MA_CONTACTOS (CODIGO);
CREATE INDEX IX_MA_CONTACTOS_Nombre_y_Apellido ON MA_CONTACTOS (Nombre_y_Apellido);

------------------------------------------------------------------------------
-- Vouchers: purchase orders ("OC") and receiving reports ("IR")
------------------------------------------------------------------------------

-- Voucher header. IDCOMPROBANTE = branch (4) + number (8) + letter (1).
-- The supplier columns are at least as long as the VT_PROVEEDORES ones they
-- receive; DOMICILIO holds CALLE + ' ' + NUMERO + ' ' + PISO + ' ' + DEPARTAMENTO.
CREATE TABLE C_MV_CPTE (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    TC              VARCHAR(4) NOT NULL,
    IDCOMPROBANTE   VARCHAR(13) NOT NULL,
    FECHA           DATETIME,
    CUENTA          VARCHAR(15),
    NOMBRE          VARCHAR(60),
    DOMICILIO       VARCHAR(90),
    TELEFONO        VARCHAR(40),
    LOCALIDAD       VARCHAR(40),
    IDPROVINCIA     VARCHAR(4),
    CODIGOPOSTAL    VARCHAR(10),
    DOCUMENTOTIPO   VARCHAR(4),
    DOCUMENTONUMERO VARCHAR(13),
    CONDICIONIVA    CHAR(2),
    ESTADO          CHAR(1) NOT NULL DEFAULT 'P',
    FECHAENTREGA    DATETIME,
    IDDEPOSITO      VARCHAR(4),
    TOTAL           MONEY NOT NULL DEFAULT 0,
    USUARIO         VARCHAR(30),
    FECHAHORA_GRABACION DATETIME
);
CREATE UNIQUE INDEX IX_C_MV_CPTE_COMPROBANTE ON C_MV_CPTE (TC, IDCOMPROBANTE);
CREATE INDEX IX_C_MV_CPTE_CUENTA ON C_MV_CPTE (CUENTA);

CREATE TABLE C_MV_CPTETAREAS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    TC              VARCHAR(4) NOT NULL,
    IDCOMPROBANTE   VARCHAR(13) NOT NULL,
    CUENTA          VARCHAR(15),
    RENGLON         SMALLINT NOT NULL,
    IDTAREA         VARCHAR(10),
    DESCRIPCION     VARCHAR(100),
    HORAS           NUMERIC(18,4),
    IMPORTE         MONEY
);
CREATE UNIQUE INDEX IX_C_MV_CPTETAREAS_COMPROBANTE ON C_MV_CPTETAREAS (TC, IDCOMPROBANTE, RENGLON);

CREATE TABLE C_MV_CPTE_OBSERV (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    TC              VARCHAR(4) NOT NULL,
    IDCOMPROBANTE   VARCHAR(13) NOT NULL,
    CUENTA          VARCHAR(15),
    RENGLON         SMALLINT NOT NULL,
    OBSERVACION     VARCHAR(250)
);
CREATE UNIQUE INDEX IX_C_MV_CPTE_OBSERV_COMPROBANTE ON C_MV_CPTE_OBSERV (TC, IDCOMPROBANTE, RENGLON);

CREATE TABLE C_MV_CPTEINSUMOS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    TC              VARCHAR(4) NOT NULL,
    IDCOMPROBANTE   VARCHAR(13) NOT NULL,
    CUENTA          VARCHAR(15),
    RENGLON         SMALLINT NOT NULL,
    IDARTICULO      VARCHAR(25),
    DESCRIPCION     VARCHAR(60),
    CANTIDAD        NUMERIC(18,4),
    PRECIO          MONEY,
    IMPORTE         MONEY
);
CREATE UNIQUE INDEX IX_C_MV_CPTEINSUMOS_COMPROBANTE ON C_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, RENGLON);
CREATE INDEX IX_C_MV_CPTEINSUMOS_IDARTICULO ON C_MV_CPTEINSUMOS (IDARTICULO);

-- Pending purchase orders: the only ones whose supplier may change.
GO
CREATE VIEW CO_OCompraPendientes AS
SELECT TC, IDCOMPROBANTE, CUENTA, FECHA, NOMBRE, FECHAENTREGA, TOTAL
FROM C_MV_CPTE
WHERE TC = 'OC' AND ESTADO = 'P';
GO

------------------------------------------------------------------------------
-- Stock movements
------------------------------------------------------------------------------

-- One row per article and voucher; receiving reports point back at the order
-- they came from through TC_ORIGEN / IDCOMPROBANTE_ORIGEN.
CREATE TABLE MV_STOCK (
    ID                   INT IDENTITY(1,1) PRIMARY KEY,
    TC                   VARCHAR(4) NOT NULL,
    IDCOMPROBANTE        VARCHAR(13) NOT NULL,
    RENGLON              SMALLINT NOT NULL DEFAULT 1,
    TC_ORIGEN            VARCHAR(4),
    IDCOMPROBANTE_ORIGEN VARCHAR(13),
    CUENTAPROVEEDOR      VARCHAR(15),
    IDARTICULO           VARCHAR(25) NOT NULL,
    IDDEPOSITO           VARCHAR(4),
    CANTIDAD             NUMERIC(18,4) NOT NULL DEFAULT 0,
    FECHA                DATETIME
);
CREATE INDEX IX_MV_STOCK_COMPROBANTE ON MV_STOCK (TC, IDCOMPROBANTE);
CREATE INDEX IX_MV_STOCK_ORIGEN ON MV_STOCK (TC_ORIGEN, IDCOMPROBANTE_ORIGEN);
CREATE INDEX IX_MV_STOCK_IDARTICULO ON MV_STOCK (IDARTICULO);

GO
CREATE VIEW V_MV_STOCK AS
SELECT ID, TC, IDCOMPROBANTE, RENGLON, TC_ORIGEN, IDCOMPROBANTE_ORIGEN, CUENTAPROVEEDOR,
       IDARTICULO, IDDEPOSITO, CANTIDAD, FECHA
FROM MV_STOCK;
GO

-- Stock shortages reported from article lookups (F12).
CREATE TABLE V_MV_FALTANTES (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    FechaHora       DATETIME,
    IdArticulo      VARCHAR(25),
    Descripcion     VARCHAR(100),
    Usuario         VARCHAR(50)
);
CREATE INDEX IX_V_MV_FALTANTES_IdArticulo ON V_MV_FALTANTES (IdArticulo);

------------------------------------------------------------------------------
-- Articles and their classifications
------------------------------------------------------------------------------

CREATE TABLE V_TA_FAMILIAS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    IdFamilia       VARCHAR(10) NOT NULL,
    Descripcion     VARCHAR(60),
    Confidencial    BIT NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IX_V_TA_FAMILIAS_IdFamilia ON V_TA_FAMILIAS (IdFamilia);
CREATE INDEX IX_V_TA_FAMILIAS_Descripcion ON V_TA_FAMILIAS (Descripcion);

CREATE TABLE V_TA_RUBROS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    IdRubro         VARCHAR(10) NOT NULL,
    Descripcion     VARCHAR(60)
);
CREATE UNIQUE INDEX IX_V_TA_RUBROS_IdRubro ON V_TA_RUBROS (IdRubro);
CREATE INDEX IX_V_TA_RUBROS_Descripcion ON V_TA_RUBROS (Descripcion);

CREATE TABLE V_TA_UNIDAD (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    IdUnidad        VARCHAR(10) NOT NULL,
    Descripcion     VARCHAR(60)
);
CREATE UNIQUE INDEX IX_V_TA_UNIDAD_IdUnidad ON V_TA_UNIDAD (IdUnidad);
CREATE INDEX IX_V_TA_UNIDAD_Descripcion ON V_TA_UNIDAD (Descripcion);

CREATE TABLE MA_ARTICULOS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    IDARTICULO      VARCHAR(25) NOT NULL,
    DESCRIPCION     VARCHAR(60) NOT NULL,
    IDFAMILIA       VARCHAR(10),
    IDRUBRO         VARCHAR(10),
    IDUNIDAD        VARCHAR(10),
    SUSPENDIDO      BIT NOT NULL DEFAULT 0,
    PUNTOPEDIDO     NUMERIC(18,4) NOT NULL DEFAULT 0,
    PRECIO1         MONEY, PRECIO2 MONEY, PRECIO3 MONEY, PRECIO4 MONEY,
    PRECIO5         MONEY, PRECIO6 MONEY, PRECIO7 MONEY, PRECIO8 MONEY
);
CREATE UNIQUE INDEX IX_MA_ARTICULOS_IDARTICULO ON MA_ARTICULOS (IDARTICULO);
CREATE INDEX IX_MA_ARTICULOS_DESCRIPCION ON MA_ARTICULOS (DESCRIPCION);
CREATE INDEX IX_MA_ARTICULOS_IDFAMILIA ON MA_ARTICULOS (IDFAMILIA);

-- Articles with their stock (sum of all movements).
GO
CREATE VIEW V_MA_ARTICULOS AS
SELECT a.IDARTICULO, a.DESCRIPCION, a.IDFAMILIA, a.IDRUBRO, a.IDUNIDAD, a.SUSPENDIDO,
       a.PUNTOPEDIDO,
       ISNULL((SELECT SUM(s.CANTIDAD) FROM MV_STOCK s WHERE s.IDARTICULO = a.IDARTICULO), 0) AS Stock,
       a.PRECIO1, a.PRECIO2, a.PRECIO3, a.PRECIO4, a.PRECIO5, a.PRECIO6, a.PRECIO7, a.PRECIO8
FROM MA_ARTICULOS a;
GO

-- The lookup engine's form of the same list.
GO
CREATE VIEW VT_MA_ARTICULOS AS
SELECT IDARTICULO, DESCRIPCION, IDFAMILIA, IDRUBRO, IDUNIDAD, SUSPENDIDO, PUNTOPEDIDO, Stock,
       PRECIO1, PRECIO2, PRECIO3, PRECIO4, PRECIO5, PRECIO6, PRECIO7, PRECIO8
FROM V_MA_ARTICULOS;
GO

GO
CREATE VIEW STK_MA_ARTICULOS AS
SELECT IDARTICULO, DESCRIPCION, IDFAMILIA, SUSPENDIDO, PUNTOPEDIDO, Stock
FROM V_MA_ARTICULOS;
GO

CREATE TABLE MA_POSICIONES (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    IDPOSICION      VARCHAR(15) NOT NULL,
    DESCRIPCION     VARCHAR(80)
);
CREATE UNIQUE INDEX IX_MA_POSICIONES_IDPOSICION ON MA_POSICIONES (IDPOSICION);
CREATE INDEX IX_MA_POSICIONES_DESCRIPCION ON MA_POSICIONES (DESCRIPCION);

------------------------------------------------------------------------------
-- Lookup lists of the suite
------------------------------------------------------------------------------

CREATE TABLE V_TA_VENDEDORES (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    IDVENDEDOR      VARCHAR(10) NOT NULL,
    NOMBRE          VARCHAR(60),
    Telefono        VARCHAR(40),
    Comision        NUMERIC(18,4)
);
CREATE UNIQUE INDEX IX_V_TA_VENDEDORES_IDVENDEDOR ON V_TA_VENDEDORES (IDVENDEDOR);
CREATE INDEX IX_V_TA_VENDEDORES_NOMBRE ON V_TA_VENDEDORES (NOMBRE);

CREATE TABLE V_TA_TECNICOS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    IDTECNICO       VARCHAR(10) NOT NULL,
    NOMBRE          VARCHAR(60),
    Especialidad    VARCHAR(40)
);
CREATE UNIQUE INDEX IX_V_TA_TECNICOS_IDTECNICO ON V_TA_TECNICOS (IDTECNICO);
CREATE INDEX IX_V_TA_TECNICOS_NOMBRE ON V_TA_TECNICOS (NOMBRE);

CREATE TABLE V_MA_MANTENIMIENTOS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    CODIGO          VARCHAR(10) NOT NULL,
    DESCRIPCION     VARCHAR(80),
    FrecuenciaDias  INT
);
CREATE UNIQUE INDEX IX_V_MA_MANTENIMIENTOS_CODIGO ON V_MA_MANTENIMIENTOS (CODIGO);
CREATE INDEX IX_V_MA_MANTENIMIENTOS_DESCRIPCION ON V_MA_MANTENIMIENTOS (DESCRIPCION);

CREATE TABLE V_TA_Tareas (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    IdTarea         VARCHAR(10) NOT NULL,
    Descripcion     VARCHAR(80),
    PrecioHora      MONEY
);
CREATE UNIQUE INDEX IX_V_TA_Tareas_IdTarea ON V_TA_Tareas (IdTarea);
CREATE INDEX IX_V_TA_Tareas_Descripcion ON V_TA_Tareas (Descripcion);

CREATE TABLE V_TA_UnidadNegocio (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    Codigo          VARCHAR(10) NOT NULL,
    Descripcion     VARCHAR(60)
);
CREATE UNIQUE INDEX IX_V_TA_UnidadNegocio_Codigo ON V_TA_UnidadNegocio (Codigo);
CREATE INDEX IX_V_TA_UnidadNegocio_Descripcion ON V_TA_UnidadNegocio (Descripcion);

CREATE TABLE V_TA_DEPOSITO (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    IdDeposito      VARCHAR(4) NOT NULL,
    Descripcion     VARCHAR(60),
    UnidadNegocio   VARCHAR(10),
    Confidencial    BIT NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IX_V_TA_DEPOSITO_IdDeposito ON V_TA_DEPOSITO (IdDeposito);
CREATE INDEX IX_V_TA_DEPOSITO_Descripcion ON V_TA_DEPOSITO (Descripcion);

CREATE TABLE V_TA_CAJAS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    IdCaja          VARCHAR(4) NOT NULL,
    Descripcion     VARCHAR(60),
    IdDeposito      VARCHAR(4),
    Confidencial    BIT NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IX_V_TA_CAJAS_IdCaja ON V_TA_CAJAS (IdCaja);

------------------------------------------------------------------------------
-- Accounting: chart of accounts, cost centres, journal
------------------------------------------------------------------------------

CREATE TABLE MA_CUENTAS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    CODIGO          VARCHAR(15) NOT NULL,
    DESCRIPCION     VARCHAR(60),
    Imputable       BIT NOT NULL DEFAULT 1,
    Confidencial    BIT NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IX_MA_CUENTAS_CODIGO ON MA_CUENTAS (CODIGO);
CREATE INDEX IX_MA_CUENTAS_DESCRIPCION ON MA_CUENTAS (DESCRIPCION);

CREATE TABLE TA_CCOSTO (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    CODIGO          VARCHAR(15) NOT NULL,
    DESCRIPCION     VARCHAR(60)
);
CREATE UNIQUE INDEX IX_TA_CCOSTO_CODIGO ON TA_CCOSTO (CODIGO);
CREATE INDEX IX_TA_CCOSTO_DESCRIPCION ON TA_CCOSTO (DESCRIPCION);

CREATE TABLE MV_ASIENTOS (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    NUMERO          INT NOT NULL,
    RENGLON         SMALLINT NOT NULL,
    FECHA           DATETIME,
    CUENTA          VARCHAR(15),
    CCOSTO          VARCHAR(15),
    CONCEPTO        VARCHAR(100),
    DEBE            MONEY NOT NULL DEFAULT 0,
    HABER           MONEY NOT NULL DEFAULT 0,
    Confidencial    BIT NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IX_MV_ASIENTOS_NUMERO ON MV_ASIENTOS (NUMERO, RENGLON);
CREATE INDEX IX_MV_ASIENTOS_CUENTA ON MV_ASIENTOS (CUENTA);

-- Journal accounts (accounts that the daily journal posts to).
CREATE TABLE AC_CUENTASDIARIO (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    CODIGO          VARCHAR(15) NOT NULL,
    DESCRIPCION     VARCHAR(60),
    CUENTA          VARCHAR(15),
    Confidencial    BIT NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IX_AC_CUENTASDIARIO_CODIGO ON AC_CUENTASDIARIO (CODIGO);

-- Distribution of journal accounts over cost centres.
CREATE TABLE AC_CUENTASDIARIO_CCOSTO (
    ID              INT IDENTITY(1,1) PRIMARY KEY,
    CODIGO          VARCHAR(15) NOT NULL,
    CCOSTO          VARCHAR(15) NOT NULL,
    PORCENTAJE      NUMERIC(18,4) NOT NULL DEFAULT 0,
    Confidencial    BIT NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IX_AC_CUENTASDIARIO_CCOSTO_CODIGO ON AC_CUENTASDIARIO_CCOSTO (CODIGO, CCOSTO);

------------------------------------------------------------------------------
-- Confidential counterparts: what a non-administrator sees when the company
-- keeps some rows confidential (the rows flagged Confidencial are left out).
------------------------------------------------------------------------------

GO
CREATE VIEW SS_MA_CUENTAS AS
SELECT * FROM MA_CUENTAS WHERE Confidencial = 0;
GO

GO
CREATE VIEW SS_V_TA_DEPOSITO AS
SELECT * FROM V_TA_DEPOSITO WHERE Confidencial = 0;
GO

GO
CREATE VIEW SS_MV_ASIENTOS AS
SELECT * FROM MV_ASIENTOS WHERE Confidencial = 0;
GO

GO
CREATE VIEW SS_V_TA_FAMILIAS AS
SELECT * FROM V_TA_FAMILIAS WHERE Confidencial = 0;
GO

GO
CREATE VIEW SS_V_TA_CAJAS AS
SELECT * FROM V_TA_CAJAS WHERE Confidencial = 0;
GO

GO
CREATE VIEW SS_AC_CUENTASDIARIO AS
SELECT * FROM AC_CUENTASDIARIO WHERE Confidencial = 0;
GO

GO
CREATE VIEW SS_AC_CUENTAS_DIARIO_CCOSTO AS
SELECT * FROM AC_CUENTASDIARIO_CCOSTO WHERE Confidencial = 0;
GO
GO
