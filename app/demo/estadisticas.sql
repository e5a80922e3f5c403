-- Statistics database KX_ESTADISTICAS of the Permutal demo: the suite keeps its
-- workstation-wide settings here, in a table of the same shape as the company
-- database's TA_CONFIGURACION. "TimeOut" is left out on purpose: the first start
-- finds it missing and writes it (value 0, group "BaseDeDatos").
-- Plain SQLite SQL: runs with sqlite3_exec or the stock sqlite3 tool.

CREATE TABLE TA_CONFIGURACION (
    ID              INTEGER PRIMARY KEY,
    Clave           VARCHAR(50)  COLLATE NOCASE NOT NULL,
    Valor           VARCHAR(255) COLLATE NOCASE,
    ValorAux        VARCHAR(255) COLLATE NOCASE,
    Grupo           VARCHAR(50)  COLLATE NOCASE,
    PoliticaNegocio BIT NOT NULL DEFAULT 0,
    CONSTRAINT TRUNC_TA_CONFIGURACION_Clave    CHECK (length(Clave) <= 50),
    CONSTRAINT TRUNC_TA_CONFIGURACION_Valor    CHECK (length(Valor) <= 255),
    CONSTRAINT TRUNC_TA_CONFIGURACION_ValorAux CHECK (length(ValorAux) <= 255),
    CONSTRAINT TRUNC_TA_CONFIGURACION_Grupo    CHECK (length(Grupo) <= 50)
);
CREATE UNIQUE INDEX IX_TA_CONFIGURACION_Clave ON TA_CONFIGURACION (Clave);

INSERT INTO TA_CONFIGURACION (Clave, Valor, ValorAux, Grupo, PoliticaNegocio) VALUES ('VERSION_ESTADISTICAS', '3.2', '', 'General', 0);
INSERT INTO TA_CONFIGURACION (Clave, Valor, ValorAux, Grupo, PoliticaNegocio) VALUES ('DIAS_RETENCION_LOG', '180', '', 'BaseDeDatos', 0);
INSERT INTO TA_CONFIGURACION (Clave, Valor, ValorAux, Grupo, PoliticaNegocio) VALUES ('ULTIMA_DEPURACION', '2024-05-31', '', 'BaseDeDatos', 0);
INSERT INTO TA_CONFIGURACION (Clave, Valor, ValorAux, Grupo, PoliticaNegocio) VALUES ('REGISTRA_USO', 'SI', '', 'General', 1);
