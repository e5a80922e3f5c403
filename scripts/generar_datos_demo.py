#!/usr/bin/env python3
"""Writes app/demo/datos.sql, the sample rows of the Permutal demo database.

The output is deterministic (fixed seed, fixed dates), so running the script again
gives the same file byte for byte. Standard library only.

    python3 scripts/generar_datos_demo.py            # writes app/demo/datos.sql
    python3 scripts/generar_datos_demo.py -o otro.sql
"""

import argparse
import datetime
import os
import random
import sys

SEMILLA = 20240607
rnd = random.Random(SEMILLA)

# ---------------------------------------------------------------------------
# SQL literals
# ---------------------------------------------------------------------------


def lit(v):
    """SQL literal of a Python value; quotes are doubled so a text stays a text."""
    if v is None:
        return "NULL"
    if isinstance(v, bool):
        return "1" if v else "0"
    if isinstance(v, int):
        return str(v)
    if isinstance(v, float):
        return f"{v:.4f}".rstrip("0").rstrip(".") if v != int(v) else str(int(v))
    if isinstance(v, datetime.datetime):
        return "'" + v.strftime("%Y-%m-%d %H:%M:%S") + "'"
    if isinstance(v, datetime.date):
        return "'" + v.strftime("%Y-%m-%d") + " 00:00:00'"
    return "'" + str(v).replace("'", "''") + "'"


salida = []


def seccion(titulo):
    salida.append("")
    salida.append("-- " + titulo)


def insertar(tabla, columnas, filas):
    for fila in filas:
        assert len(fila) == len(columnas), (tabla, fila)
        salida.append(
            f"INSERT INTO {tabla} ({', '.join(columnas)}) VALUES ({', '.join(lit(v) for v in fila)});"
        )


def dinero(x):
    return round(x + 1e-9, 2)


# ---------------------------------------------------------------------------
# Tax numbers (CUIT) with a valid check digit
# ---------------------------------------------------------------------------

PESOS_CUIT = (5, 4, 3, 2, 7, 6, 5, 4, 3, 2)


def cuit(prefijo, base):
    """A CUIT "pp-nnnnnnnn-d"; the base is moved on until the check digit exists."""
    while True:
        cuerpo = f"{prefijo:02d}{base:08d}"
        suma = sum(int(c) * p for c, p in zip(cuerpo, PESOS_CUIT))
        dv = 11 - suma % 11
        if dv == 11:
            dv = 0
        if dv != 10:
            return f"{prefijo:02d}-{base:08d}-{dv}"
        base += 1


# ---------------------------------------------------------------------------
# Places
# ---------------------------------------------------------------------------

# localidad, provincia, código postal, característica telefónica
LUGARES = {
    "CABA": ("Ciudad Autónoma de Buenos Aires", "CABA", "1043", "011"),
    "Avellaneda": ("Avellaneda", "BA", "1870", "011"),
    "Lanús": ("Lanús", "BA", "1824", "011"),
    "La Plata": ("La Plata", "BA", "1900", "0221"),
    "Ituzaingó": ("Ituzaingó", "BA", "1714", "011"),
    "Olavarría": ("Olavarría", "BA", "7400", "02284"),
    "Bahía Blanca": ("Bahía Blanca", "BA", "8000", "0291"),
    "Mar del Plata": ("Mar del Plata", "BA", "7600", "0223"),
    "Rosario": ("Rosario", "SF", "2000", "0341"),
    "Santa Fe": ("Santa Fe", "SF", "3000", "0342"),
    "Rafaela": ("Rafaela", "SF", "2300", "03492"),
    "Córdoba": ("Córdoba", "CBA", "5000", "0351"),
    "Villa María": ("Villa María", "CBA", "5900", "0353"),
    "Mendoza": ("Mendoza", "MZA", "5500", "0261"),
    "San Rafael": ("San Rafael", "MZA", "5600", "0260"),
    "Tucumán": ("San Miguel de Tucumán", "TUC", "4000", "0381"),
    "Paraná": ("Paraná", "ER", "3100", "0343"),
    "Neuquén": ("Neuquén", "NQN", "8300", "0299"),
    "Salta": ("Salta", "SAL", "4400", "0387"),
    "Trelew": ("Trelew", "CHU", "9100", "0280"),
}


def telefono(caracteristica):
    # Area code (without its 0) and local number add up to ten digits.
    digitos = 10 - (len(caracteristica) - 1)
    s = "4" + "".join(str(rnd.randint(0, 9)) for _ in range(digitos - 1))
    return f"({caracteristica}) {s[:-4]}-{s[-4:]}"


# ---------------------------------------------------------------------------
# Suppliers
# ---------------------------------------------------------------------------

# razón social, nombre de fantasía, calle, número, piso, depto, lugar, IVA, contacto, baja
PROVEEDORES = [
    ("Ferretería Industrial Del Plata S.A.", "Del Plata", "Av. Pavón", "2345", "", "", "Avellaneda", "RI", "Jorge Medina", 0),
    ("Distribuidora Rosarina de Papel S.R.L.", "DIROPA", "Bv. Oroño", "1180", "", "", "Rosario", "RI", "Silvia Acosta", 0),
    ("Metalúrgica San Martín S.A.", "Met. San Martín", "San Martín", "4520", "", "", "Córdoba", "RI", "Raúl Ferreyra", 0),
    ("Electricidad Norte S.R.L.", "ElecNorte", "Av. Belgrano", "870", "", "", "Tucumán", "RI", "Marcela Ruiz", 0),
    ("Química Austral S.A.", "Quimaustral", "Av. Colón", "3150", "", "", "Bahía Blanca", "RI", "Daniel Sosa", 0),
    ("Transportes La Pampa S.A.", "Transpampa", "Ruta 3 Km", "642", "", "", "Olavarría", "RI", "Héctor Ibáñez", 0),
    ("O'Brien Hnos. S.R.L.", "O'Brien", "Av. O'Higgins", "1450", "2", "A", "CABA", "RI", "Patricio O'Brien", 0),
    ("Aceros Cuyanos S.A.", "Aceros Cuyanos", "Av. San Martín Sur", "950", "", "", "Mendoza", "RI", "Gustavo Funes", 0),
    ("Plásticos del Litoral S.R.L.", "Plastilit", "Blas Parera", "7200", "", "", "Santa Fe", "RI", "Carolina Benítez", 0),
    ("Gómez, Juan Carlos", "Fletes Gómez", "Mitre", "315", "", "", "Lanús", "MT", "Juan Carlos Gómez", 0),
    ("Papelera Belgrano S.A.", "Papelera Belgrano", "Av. Cabildo", "2230", "5", "C", "CABA", "RI", "Mónica Álvarez", 0),
    ("Rodamientos Centro S.A.", "RodaCentro", "Av. Vélez Sarsfield", "1760", "", "", "Córdoba", "RI", "Ariel Quiroga", 0),
    ("Cooperativa de Trabajo Textil Limitada", "Coop. Textil", "Moreno", "1025", "", "", "Paraná", "EX", "Nélida Romero", 0),
    ("Maderera Los Andes S.R.L.", "Los Andes", "Av. Hipólito Yrigoyen", "460", "", "", "San Rafael", "RI", "Rubén Castro", 0),
    ("Pinturerías Mercurio S.A.", "Mercurio", "Av. Rivadavia", "11850", "", "", "CABA", "RI", "Laura Pereyra", 0),
    ("Fernández, María Laura", "ML Servicios", "Calle 7", "1234", "PB", "2", "La Plata", "MT", "María Laura Fernández", 0),
    ("Insumos Médicos Patagónicos S.A.", "IMEPA", "Av. Argentina", "380", "", "", "Neuquén", "RI", "Fabián Vera", 0),
    ("Tornillería Ituzaingó S.R.L.", "Tornillería Itu", "Zufriategui", "602", "", "", "Ituzaingó", "RI", "Walter Giménez", 0),
    ("Embalajes Córdoba S.A.", "EmbaCor", "Av. Circunvalación", "5120", "", "", "Córdoba", "RI", "Verónica Luna", 0),
    ("Fundación Tecnológica Mendoza", "FuTeMe", "Peltier", "51", "1", "3", "Mendoza", "EX", "Esteban Ortiz", 0),
    ("Hidráulica Neuquén S.R.L.", "HidroNqn", "Félix San Martín", "245", "", "", "Neuquén", "RI", "Claudio Paz", 0),
    ("Lubricantes del Sur S.A.", "LubriSur", "Av. Independencia", "3890", "", "", "Mar del Plata", "RI", "Norma Domínguez", 0),
    ("Cables y Conductores Avellaneda S.A.", "CyC Avellaneda", "Av. Mitre", "1560", "", "", "Avellaneda", "RI", "Roberto Cabrera", 0),
    ("Ramírez, Sergio Daniel", "Electricidad Ramírez", "Sarmiento", "87", "", "", "Rafaela", "MT", "Sergio Daniel Ramírez", 0),
    ("Vidriería Tucumana S.R.L.", "Vidriería Tucumana", "Av. Mate de Luna", "2740", "", "", "Tucumán", "RI", "Alejandra Paz", 0),
    ("Neumáticos Ruta 9 S.A.", "Ruta 9", "Ruta Nacional 9 Km", "695", "", "", "Villa María", "RI", "Mario Ledesma", 0),
    ("Servicios Informáticos D'Alessandro S.R.L.", "D'Alessandro IT", "Córdoba", "1452", "8", "B", "Rosario", "RI", "Luciano D'Alessandro", 0),
    ("Gases Industriales Salta S.A.", "GISSA", "Av. Tavella", "1900", "", "", "Salta", "RI", "Cecilia Guzmán", 0),
    ("Mayorista de Limpieza La Estrella S.R.L.", "La Estrella", "Av. Alberdi", "5630", "", "", "CABA", "RI", "Omar Villalba", 0),
    ("Construcciones Viales Chubut S.A.", "CoViCh", "Av. Fontana", "1210", "", "", "Trelew", "RI", "Adriana Morales", 0),
    ("Textil Olavarría S.A.", "TexOla", "Av. del Valle", "3300", "", "", "Olavarría", "RI", "Ricardo Molina", 1),
    ("Comercial Lanús S.R.L.", "ComLan", "Hipólito Yrigoyen", "4150", "", "", "Lanús", "RI", "Graciela Rojas", 1),
]

FECHA_ALTA = datetime.datetime(2019, 3, 1, 9, 0, 0)

proveedores = []   # dicts by position; code P00001...
for i, (rs, fant, calle, nro, piso, dpto, lugar, iva, contacto, baja) in enumerate(PROVEEDORES, start=1):
    loc, prov, cp, car = LUGARES[lugar]
    if iva == "MT":
        doc = cuit(20 if i % 2 == 0 else 27, 14000000 + i * 731157)
    else:
        doc = cuit(30 if iva == "RI" else 33, 50000000 + i * 684013)
    correo_base = "".join(c for c in fant.lower() if c.isalnum())[:14] or "contacto"
    proveedores.append(
        dict(
            codigo=f"P{i:05d}", rs=rs, fantasia=fant, calle=calle, numero=nro, piso=piso, dpto=dpto,
            telefono=telefono(car), localidad=loc, provincia=prov, cp=cp, doctipo="CUIT", doc=doc,
            iva=iva, contacto=contacto, email=f"compras@{correo_base}.com.ar", baja=baja,
            alta=FECHA_ALTA + datetime.timedelta(days=37 * i, hours=i % 8),
        )
    )


def domicilio(p):
    # As the server builds it: CALLE + ' ' + NUMERO + ' ' + PISO + ' ' + DEPARTAMENTO, trimmed.
    return " ".join([p["calle"], p["numero"], p["piso"], p["dpto"]]).strip()


activos = [p for p in proveedores if not p["baja"]]
por_codigo = {p["codigo"]: p for p in proveedores}

# ---------------------------------------------------------------------------
# Articles, families, classifications
# ---------------------------------------------------------------------------

FAMILIAS = [
    ("01", "Ferretería"),
    ("0101", "Tornillería y bulonería"),
    ("0102", "Herramientas"),
    ("02", "Electricidad"),
    ("0201", "Cables y conductores"),
]

RUBROS = [("01", "Insumos de producción"), ("02", "Mantenimiento"), ("03", "Limpieza e higiene"),
          ("04", "Librería y oficina"), ("05", "Embalaje")]

UNIDADES = [("UN", "Unidad"), ("CJ", "Caja"), ("KG", "Kilogramo"), ("MT", "Metro"), ("LT", "Litro"),
            ("RL", "Rollo"), ("PQ", "Paquete")]

# descripción, familia, rubro, unidad, precio de costo, punto de pedido, nivel de stock
#   nivel: 1 sin punto de pedido y con stock, 2 sobre el punto, 3 bajo el punto, 4 sin stock
ARTICULOS = [
    ("Tornillo autoperforante 8 x 1\" caja x 100", "0101", "01", "CJ", 2450.00, 20, 2),
    ("Bulón cabeza hexagonal 1/2\" x 2\"", "0101", "01", "UN", 185.50, 200, 3),
    ("Tuerca hexagonal 1/2\" zincada", "0101", "01", "UN", 42.30, 500, 2),
    ("Arandela plana 1/2\" x 100", "0101", "01", "PQ", 980.00, 0, 1),
    ("Taco fischer N° 8 x 100", "0101", "01", "PQ", 1320.00, 15, 4),
    ("Amoladora angular 115 mm 850 W", "0102", "02", "UN", 68500.00, 2, 2),
    ("Juego de llaves combinadas 6 a 22 mm", "0102", "02", "UN", 35200.00, 0, 1),
    ("Disco de corte 115 x 1 mm", "0102", "01", "UN", 890.00, 100, 3),
    ("Mecha acero rápido 8 mm", "0102", "01", "UN", 1540.00, 30, 2),
    ("Cinta métrica 5 m", "0102", "02", "UN", 4200.00, 0, 4),
    ("Cable unipolar 2,5 mm² rollo 100 m", "0201", "01", "RL", 58900.00, 5, 3),
    ("Cable unipolar 4 mm² rollo 100 m", "0201", "01", "RL", 89700.00, 3, 2),
    ("Cable taller 3 x 1,5 mm²", "0201", "02", "MT", 1250.00, 0, 1),
    ("Cable de cobre desnudo 16 mm²", "0201", "01", "KG", 15800.00, 10, 4),
    ("Lámpara LED 12 W luz fría", "02", "02", "UN", 1890.00, 50, 2),
    ("Interruptor termomagnético 2 x 20 A", "02", "02", "UN", 12300.00, 10, 3),
    ("Tubo LED 18 W 120 cm", "02", "02", "UN", 4650.00, 0, 1),
    ("Guantes de vaqueta par", "01", "02", "UN", 3100.00, 40, 2),
    ("Lavandina concentrada 5 L", None, "03", "LT", 2800.00, 12, 3),
    ("Detergente industrial 5 L", None, "03", "LT", 4350.00, 0, 1),
    ("Resma papel A4 75 g", None, "04", "PQ", 5600.00, 25, 2),
    ("Cinta de embalar 48 mm x 100 m", None, "05", "RL", 1750.00, 60, 3),
    ("Film stretch 50 cm x 300 m", None, "05", "RL", 14200.00, 8, 2),
    ("Caja de cartón corrugado 40 x 30 x 30", None, "05", "UN", 980.00, 0, 4),
]
SUSPENDIDOS = {"Cinta métrica 5 m", "Caja de cartón corrugado 40 x 30 x 30"}

articulos = []
for i, (desc, fam, rub, uni, costo, pp, nivel) in enumerate(ARTICULOS, start=1):
    articulos.append(
        dict(id=str(100100 + i), desc=desc, fam=fam, rubro=rub, unidad=uni, costo=costo, pp=pp, nivel=nivel,
             suspendido=1 if desc in SUSPENDIDOS else 0)
    )

TAREAS_OC = [
    ("T01", "Flete y descarga en planta", 18500.00),
    ("T02", "Instalación y puesta en marcha", 42000.00),
    ("T03", "Armado y verificación", 15600.00),
    ("T04", "Corte a medida", 9800.00),
    ("T05", "Certificado de calidad", 12000.00),
]

OBSERVACIONES = [
    "Entregar en depósito central de lunes a viernes de 8 a 16 hs.",
    "Condición de pago: 30 días fecha de factura.",
    "Condición de pago: contado contra entrega.",
    "Presentar remito por duplicado con número de OC.",
    "Mercadería sujeta a control de calidad en recepción.",
    "Precios sin IVA. Mantener cotización del día.",
    "Coordinar la entrega con el sector Compras (int. 214).",
    "Embalaje apto para estiba. Indicar peso por bulto.",
    "Entrega parcial autorizada.",
    "Adjuntar certificado de análisis del lote.",
]

USUARIOS_OC = ["ADMIN", "JPEREZ", "MGOMEZ"]

# ---------------------------------------------------------------------------
# Purchase orders
# ---------------------------------------------------------------------------

INICIO = datetime.date(2024, 1, 8)
N_ORDENES = 60


def idcpte(sucursal, numero, letra):
    return f"{sucursal:04d}{numero:08d}{letra}"


ordenes = []
for k in range(N_ORDENES):
    sucursal = 1 if k < 44 else 2
    numero = 1201 + k if sucursal == 1 else 348 + (k - 44)
    letra = "B" if k % 9 == 8 else "A"
    fecha = INICIO + datetime.timedelta(days=(k * 27) // 10)
    prov = activos[(k * 7 + 3) % len(activos)]
    ordenes.append(dict(k=k, id=idcpte(sucursal, numero, letra), fecha=fecha, prov=prov, estado="P",
                        usuario=USUARIOS_OC[k % len(USUARIOS_OC)], insumos=[], tareas=[], observ=[]))

# The orders the demo shows off (indexes into ordenes):
OC_APOSTROFE = 5          # pending, never received, supplier O'Brien Hnos.
RECIBIDAS_SOLAS = [3, 8, 12, 17, 21, 26, 30, 35, 39, 47]   # each with its own receiving report
COMPARTIDAS = (14, 15)    # two orders whose goods arrived in one receiving report
DOS_INFORMES = 42         # received in two partial deliveries (two reports)
CERRADAS = [0, 1, 10, 24]  # no longer pending; 0, 1 and 10 were received in full

ordenes[OC_APOSTROFE]["prov"] = por_codigo["P00007"]
# A shared report comes from one supplier: both orders were placed with it.
ordenes[COMPARTIDAS[1]]["prov"] = ordenes[COMPARTIDAS[0]]["prov"]
for k in CERRADAS:
    ordenes[k]["estado"] = "C"

for o in ordenes:
    n_ins = 1 + (o["k"] * 5 + 2) % 4
    elegidos = rnd.sample(articulos, n_ins)
    for r, a in enumerate(elegidos, start=1):
        cant = float(rnd.choice([2, 4, 5, 10, 12, 20, 25, 50, 100]))
        if a["costo"] > 20000:
            cant = float(rnd.choice([1, 2, 3, 4]))
        elif a["unidad"] in ("MT", "KG"):
            cant = float(rnd.choice([15, 25, 50, 100, 150]))
        precio = dinero(a["costo"] * rnd.choice([0.95, 0.98, 1.0, 1.02, 1.05]))
        o["insumos"].append(dict(renglon=r, art=a, cant=cant, precio=precio, importe=dinero(cant * precio)))
    n_tar = 1 + o["k"] % 2
    for r, t in enumerate(rnd.sample(TAREAS_OC, n_tar), start=1):
        horas = float(rnd.choice([1, 2, 3, 4, 6, 8]))
        o["tareas"].append(dict(renglon=r, id=t[0], desc=t[1], horas=horas, importe=dinero(t[2] * horas / 2)))
    n_obs = 1 + o["k"] % 3
    for r, ob in enumerate(rnd.sample(OBSERVACIONES, n_obs), start=1):
        o["observ"].append(dict(renglon=r, texto=ob))
    o["total"] = dinero(sum(x["importe"] for x in o["insumos"]) + sum(x["importe"] for x in o["tareas"]))
    o["entrega"] = o["fecha"] + datetime.timedelta(days=15)

# ---------------------------------------------------------------------------
# Receiving reports ("IR") and stock movements
# ---------------------------------------------------------------------------

informes = []   # dict(id, fecha, prov, origenes=[(orden, fraccion)])
num_ir = 301


def nuevo_informe(origenes, dias):
    global num_ir
    primera = origenes[0][0]
    inf = dict(id=idcpte(1, num_ir, "X"), fecha=primera["fecha"] + datetime.timedelta(days=dias),
               prov=primera["prov"], origenes=origenes)
    num_ir += 1
    informes.append(inf)
    return inf


for k in CERRADAS[:3]:
    nuevo_informe([(ordenes[k], 1.0)], 9)
for k in RECIBIDAS_SOLAS:
    # Partly received: the order stays pending.
    nuevo_informe([(ordenes[k], 0.5)], 10)
nuevo_informe([(ordenes[COMPARTIDAS[0]], 0.5), (ordenes[COMPARTIDAS[1]], 0.5)], 12)
nuevo_informe([(ordenes[DOS_INFORMES], 0.4)], 8)
nuevo_informe([(ordenes[DOS_INFORMES], 0.3)], 16)
informes.sort(key=lambda x: x["id"])

movimientos = []   # MV_STOCK rows
for inf in informes:
    renglon = 0
    for o, fraccion in inf["origenes"]:
        for ins in o["insumos"]:
            renglon += 1
            cant = ins["cant"] if fraccion >= 1 else max(1.0, float(int(ins["cant"] * fraccion)))
            movimientos.append(dict(tc="IR", id=inf["id"], renglon=renglon, tco="OC", ido=o["id"],
                                    cuenta=o["prov"]["codigo"], art=ins["art"]["id"], dep="01",
                                    cant=cant, fecha=datetime.datetime.combine(inf["fecha"], datetime.time(11, 30))))

# Inventory adjustment that leaves every article at the stock level it shows off.
recibido = {}
for m in movimientos:
    recibido[m["art"]] = recibido.get(m["art"], 0.0) + m["cant"]
AJUSTE = "0001" + "00000015" + "X"
FECHA_AJUSTE = datetime.datetime(2024, 1, 5, 8, 0, 0)
ajustes = []
for r, a in enumerate(articulos, start=1):
    pp = a["pp"]
    # Level 4 is "neither": no stock at all, or exactly at the reorder point.
    objetivo = {1: 35.0, 2: pp * 2.0 + 5, 3: float(pp // 2 - 1), 4: float(pp)}[a["nivel"]]
    delta = objetivo - recibido.get(a["id"], 0.0)
    ajustes.append(dict(tc="AJ", id=AJUSTE, renglon=r, tco=None, ido=None, cuenta=None, art=a["id"], dep="01",
                        cant=delta, fecha=FECHA_AJUSTE))

# ---------------------------------------------------------------------------
# Output
# ---------------------------------------------------------------------------

salida.append("-- Permutal demo data. Written by scripts/generar_datos_demo.py; edit the script, not this file.")
salida.append("-- Plain SQLite SQL, run after esquema.sql.")

seccion("Configuration")
CONFIG = [
    ("Top_Default", "1000", "", "Consultas", 0),
    ("TopConsArt", "500", "", "Consultas", 0),
    ("UsaConsultaLike", "NO", "", "Consultas", 0),
    ("MostrarStockenConsultas", "SI", "", "Consultas", 0),
    ("Stk_Nivel1", "12582912", "Azul: sin punto de pedido, con stock", "Stock", 0),
    ("Stk_Nivel2", "32768", "Verde: sobre el punto de pedido", "Stock", 0),
    ("Stk_Nivel3", "33023", "Naranja: bajo el punto de pedido", "Stock", 0),
    ("Stk_Nivel4", "255", "Rojo: sin stock", "Stock", 0),
    ("SS_CONFIDENCIALIDAD", "NO", "", "Seguridad", 1),
    ("THEME", "1", "", "General", 0),
    ("EMPRESA", "Demo Permutal S.A.", "", "General", 0),
    ("CUIT_EMPRESA", cuit(30, 71123450), "", "General", 0),
    ("SUCURSAL_DEFAULT", "0001", "", "General", 0),
    ("DEPOSITO_DEFAULT", "01", "", "Stock", 0),
    ("NOM_PCLASE1", "Costo", "", "Precios", 0),
    ("NOM_PCLASE2", "Mayorista", "", "Precios", 0),
    ("NOM_PCLASE3", "Minorista", "", "Precios", 0),
    ("NOM_PCLASE4", "Contado", "", "Precios", 0),
    ("NOM_PCLASE5", "Tarjeta", "", "Precios", 0),
    ("NOM_PCLASE6", "Distribuidor", "", "Precios", 0),
    ("NOM_PCLASE7", "Gremio", "", "Precios", 0),
    ("NOM_PCLASE8", "Exportación", "", "Precios", 0),
]
insertar("TA_CONFIGURACION", ["Clave", "Valor", "ValorAux", "Grupo", "PoliticaNegocio"], CONFIG)

seccion("Users and menu rights")
insertar("TA_USUARIOS", ["nombre", "NombreCompleto", "Administrador", "Email", "Activo"], [
    ("ADMIN", "Administrador del sistema", 1, "sistemas@demopermutal.com.ar", 1),
    ("JPEREZ", "Julián Pérez", 0, "jperez@demopermutal.com.ar", 1),
    ("MGOMEZ", "Mariela Gómez", 0, "mgomez@demopermutal.com.ar", 1),
    ("OPERADOR", "Operador de depósito", 0, None, 1),
    ("LSUAREZ", "Lucía Suárez", 0, "lsuarez@demopermutal.com.ar", 0),
])
insertar("TA_MENU", ["Clave", "Proceso", "Nombre", "ClavePadre", "Orden"], [
    ("01", "", "Tablas generales", None, 1),
    ("0101", "Tablas.exe", "Tablas del sistema", "01", 1),
    ("0102", "Quintaro.exe", "Clientes y proveedores", "01", 2),
    ("05", "", "Stock", None, 5),
    ("0501", "Brunelka.exe", "Artículos", "05", 1),
    ("0502", "Stock.exe", "Consulta de stock", "05", 2),
    ("07", "", "Compras", None, 7),
    ("0701", "Compras.exe", "Órdenes de compra", "07", 1),
    ("0702", "Compras.exe /IR", "Informes de recepción", "07", 2),
    ("0705", "Permutal.exe", "Cambio de proveedor de OC", "07", 5),
    ("09", "", "Contabilidad", None, 9),
    ("0901", "Contable.exe", "Asientos contables", "09", 1),
])
insertar("TA_TAREAS", ["USUARIO", "TAREA"], [
    ("ADMIN", "0101"), ("ADMIN", "0102"), ("ADMIN", "0701"), ("ADMIN", "0702"), ("ADMIN", "0705"),
    ("ADMIN", "0901"),
    ("JPEREZ", "0701"), ("JPEREZ", "0705"),
    ("MGOMEZ", "0501"), ("MGOMEZ", "0502"), ("MGOMEZ", "0702"),
    ("OPERADOR", "0502"),
])

seccion("Suppliers")
insertar("VT_PROVEEDORES",
         ["CODIGO", "Razon_Social", "Nombre_Fantasia", "CALLE", "NUMERO", "PISO", "DEPARTAMENTO", "Telefono",
          "Localidad", "Provincia", "CPostal", "Documento_Tipo", "Numero_Documento", "IVA", "Contacto", "Email",
          "Dada_De_Baja", "FECHAHORA_GRABACION"],
         [(p["codigo"], p["rs"], p["fantasia"], p["calle"], p["numero"], p["piso"], p["dpto"], p["telefono"],
           p["localidad"], p["provincia"], p["cp"], p["doctipo"], p["doc"], p["iva"], p["contacto"], p["email"],
           p["baja"], p["alta"]) for p in proveedores])

seccion("Customers and contacts")
CLIENTES = [
    ("Supermercados El Trébol S.A.", "Andrea Vidal", "Av. Santa Fe", "3456", "", "", "CABA", "RI"),
    ("Agropecuaria Los Talas S.A.", "Marcos Herrera", "Ruta 5 Km", "112", "", "", "Olavarría", "RI"),
    ("Municipalidad de Rafaela", "Secretaría de Obras", "Moreno", "8", "", "", "Rafaela", "EX"),
    ("Constructora Paraná S.R.L.", "Ing. Pablo Ríos", "Urquiza", "1020", "", "", "Paraná", "RI"),
    ("Hotel Cordillera S.A.", "Susana Aguirre", "Av. Las Heras", "555", "", "", "Mendoza", "RI"),
    ("Talleres Gráficos Sur S.R.L.", "Diego Maldonado", "Alsina", "245", "", "", "Bahía Blanca", "RI"),
    ("Quiroga, Ana María", "Ana María Quiroga", "Chacabuco", "77", "3", "D", "Córdoba", "MT"),
    ("Clínica Del Valle S.A.", "Dr. Emilio Navarro", "Av. Roca", "1900", "", "", "Neuquén", "RI"),
    ("Estancia La Querencia S.A.", "Tomás Ferraro", "Ruta 9 Km", "1400", "", "", "Salta", "RI"),
    ("Distribuidora Dos Hermanos S.R.L.", "Luis Peralta", "Italia", "930", "", "", "Rosario", "RI"),
    ("Panadería La Espiga de Oro", "Rosa Benítez", "Belgrano", "310", "", "", "La Plata", "MT"),
    ("Comercial Atlántica S.A.", "Javier Campos", "Av. Luro", "2800", "", "", "Mar del Plata", "RI", ),
]
filas = []
for i, (rs, cont, calle, nro, piso, dpto, lugar, iva) in enumerate(CLIENTES, start=1):
    loc, prov, cp, car = LUGARES[lugar]
    doc = cuit(27 if iva == "MT" else (33 if iva == "EX" else 30), 60000000 + i * 512347)
    filas.append((f"C{i:05d}", rs, cont, calle, nro, piso, dpto, telefono(car), loc, prov, cp, "CUIT", doc, iva,
                  1 if i == 6 else 0))
insertar("VT_CLIENTES", ["CODIGO", "Razon_Social", "Contacto", "CALLE", "NUMERO", "PISO", "DEPARTAMENTO",
                         "Telefono", "Localidad", "Provincia", "CPostal", "Documento_Tipo", "Numero_Documento",
                         "IVA", "Dada_De_Baja"], filas)

filas = []
for i, p in enumerate(proveedores[:12], start=1):
    filas.append((f"CT{i:04d}", p["codigo"], p["contacto"], domicilio(p), p["localidad"], p["telefono"],
                  p["email"]))
insertar("MA_CONTACTOS", ["CODIGO", "CUENTA", "Nombre_y_Apellido", "Domicilio", "Localidad", "Telefono", "Email"],
         filas)

seccion("Articles and classifications")
insertar("V_TA_FAMILIAS", ["IdFamilia", "Descripcion", "Confidencial"], [(f, d, 0) for f, d in FAMILIAS])
insertar("V_TA_RUBROS", ["IdRubro", "Descripcion"], RUBROS)
insertar("V_TA_UNIDAD", ["IdUnidad", "Descripcion"], UNIDADES)
MARGENES = (1.0, 1.35, 1.60, 1.55, 1.75, 1.30, 1.45, 1.90)
insertar("MA_ARTICULOS",
         ["IDARTICULO", "DESCRIPCION", "IDFAMILIA", "IDRUBRO", "IDUNIDAD", "SUSPENDIDO", "PUNTOPEDIDO"]
         + [f"PRECIO{n}" for n in range(1, 9)],
         [(a["id"], a["desc"], a["fam"], a["rubro"], a["unidad"], a["suspendido"], float(a["pp"]))
          + tuple(dinero(a["costo"] * m) for m in MARGENES) for a in articulos])
insertar("MA_POSICIONES", ["IDPOSICION", "DESCRIPCION"], [
    ("34", "Jabones, agentes de superficie y preparaciones para lavar"),
    ("3402", "Agentes de superficie orgánicos y preparaciones para lavar"),
    ("73", "Manufacturas de fundición, hierro o acero"),
    ("7318", "Tornillos, pernos, tuercas, arandelas y artículos similares"),
    ("731815", "Los demás tornillos y pernos, incluso con sus tuercas"),
    ("731822", "Las demás arandelas"),
    ("82", "Herramientas y útiles de metal común"),
    ("8204", "Llaves de ajuste de mano"),
    ("85", "Máquinas, aparatos y material eléctrico"),
    ("8536", "Aparatos para corte, seccionamiento o protección de circuitos"),
    ("8544", "Hilos, cables y demás conductores aislados para electricidad"),
    ("854449", "Los demás conductores eléctricos, para tensión inferior o igual a 1000 V"),
])

seccion("Lookup lists")
insertar("V_TA_VENDEDORES", ["IDVENDEDOR", "NOMBRE", "Telefono", "Comision"], [
    ("01", "Carlos Benítez", "(011) 4555-1201", 3.0),
    ("02", "Paula Sánchez", "(0341) 421-3344", 3.5),
    ("03", "Martín Leiva", "(0351) 468-7702", 2.5),
    ("04", "Gabriela Ocampo", "(0261) 429-1188", 3.0),
])
insertar("V_TA_TECNICOS", ["IDTECNICO", "NOMBRE", "Especialidad"], [
    ("01", "Ezequiel Domínguez", "Electricidad"),
    ("02", "Horacio Villar", "Mecánica"),
    ("03", "Nicolás Arce", "Hidráulica"),
])
insertar("V_MA_MANTENIMIENTOS", ["CODIGO", "DESCRIPCION", "FrecuenciaDias"], [
    ("M01", "Lubricación de autoelevadores", 30),
    ("M02", "Revisión de tableros eléctricos", 90),
    ("M03", "Cambio de filtros de compresor", 180),
    ("M04", "Control de matafuegos", 365),
])
insertar("V_TA_Tareas", ["IdTarea", "Descripcion", "PrecioHora"], [(t[0], t[1], t[2] / 2) for t in TAREAS_OC])
insertar("V_TA_UnidadNegocio", ["Codigo", "Descripcion"], [
    ("UN01", "Industria"), ("UN02", "Comercio mayorista"), ("UN03", "Servicios"),
])
insertar("V_TA_DEPOSITO", ["IdDeposito", "Descripcion", "UnidadNegocio", "Confidencial"], [
    ("01", "Depósito Central Avellaneda", "UN01", 0),
    ("02", "Depósito Rosario", "UN02", 0),
    ("03", "Depósito Córdoba", "UN02", 0),
    ("04", "Depósito de Terceros", "UN03", 0),
    ("99", "Depósito Reservado Dirección", "UN01", 1),
])
insertar("V_TA_CAJAS", ["IdCaja", "Descripcion", "IdDeposito", "Confidencial"], [
    ("1", "Caja Central", "01", 0),
    ("2", "Caja Rosario", "02", 0),
    ("3", "Caja Córdoba", "03", 0),
    ("9", "Caja Dirección", "99", 1),
])

seccion("Accounting")
CUENTAS = [
    ("1", "ACTIVO", 0, 0), ("11", "Activo corriente", 0, 0), ("1101", "Caja y bancos", 0, 0),
    ("110101", "Caja", 1, 0), ("110102", "Banco de la Nación Argentina c/c", 1, 0),
    ("110103", "Banco Provincia c/c", 1, 0), ("110109", "Caja reservada Dirección", 1, 1),
    ("1103", "Bienes de cambio", 0, 0), ("110301", "Mercaderías de reventa", 1, 0),
    ("110302", "Materias primas", 1, 0),
    ("2", "PASIVO", 0, 0), ("21", "Pasivo corriente", 0, 0), ("2101", "Deudas comerciales", 0, 0),
    ("210101", "Proveedores", 1, 0), ("210102", "Proveedores - facturas a recibir", 1, 0),
    ("2103", "Deudas fiscales", 0, 0), ("210301", "IVA débito fiscal", 1, 0),
    ("3", "PATRIMONIO NETO", 0, 0), ("3101", "Capital social", 1, 0), ("3109", "Cuenta particular socios", 1, 1),
    ("4", "INGRESOS", 0, 0), ("4101", "Ventas de mercaderías", 1, 0),
    ("5", "EGRESOS", 0, 0), ("5101", "Costo de mercaderías vendidas", 1, 0), ("5201", "Fletes y acarreos", 1, 0),
    ("5202", "Mantenimiento y reparaciones", 1, 0), ("5209", "Honorarios de Dirección", 1, 1),
]
insertar("MA_CUENTAS", ["CODIGO", "DESCRIPCION", "Imputable", "Confidencial"], CUENTAS)
insertar("TA_CCOSTO", ["CODIGO", "DESCRIPCION"], [
    ("01", "Administración"), ("0101", "Contaduría"), ("0102", "Compras"),
    ("02", "Producción"), ("0201", "Planta Avellaneda"), ("0202", "Mantenimiento"),
    ("03", "Comercialización"), ("0301", "Ventas interior"),
])
insertar("AC_CUENTASDIARIO", ["CODIGO", "DESCRIPCION", "CUENTA", "Confidencial"], [
    ("D01", "Compras de mercaderías", "110301", 0),
    ("D02", "Fletes", "5201", 0),
    ("D03", "Mantenimiento", "5202", 0),
    ("D09", "Retiros de socios", "3109", 1),
])
insertar("AC_CUENTASDIARIO_CCOSTO", ["CODIGO", "CCOSTO", "PORCENTAJE", "Confidencial"], [
    ("D02", "0102", 40.0, 0), ("D02", "0201", 60.0, 0),
    ("D03", "0201", 70.0, 0), ("D03", "0202", 30.0, 0),
    ("D09", "01", 100.0, 1),
])
filas = []
asiento = 1
for o in ordenes:
    if o["estado"] != "C":
        continue
    neto = o["total"]
    fecha = datetime.datetime.combine(o["fecha"] + datetime.timedelta(days=20), datetime.time(18, 0))
    concepto = f"Compra OC {o['id']} {o['prov']['rs']}"[:100]
    filas.append((asiento, 1, fecha, "110301", "0102", concepto, neto, 0.0, 0))
    filas.append((asiento, 2, fecha, "210101", None, concepto, 0.0, neto, 0))
    asiento += 1
fecha = datetime.datetime(2024, 3, 28, 18, 0)
filas.append((asiento, 1, fecha, "3109", "01", "Retiro a cuenta de utilidades", 850000.0, 0.0, 1))
filas.append((asiento, 2, fecha, "110109", None, "Retiro a cuenta de utilidades", 0.0, 850000.0, 1))
insertar("MV_ASIENTOS", ["NUMERO", "RENGLON", "FECHA", "CUENTA", "CCOSTO", "CONCEPTO", "DEBE", "HABER", "Confidencial"],
         filas)

seccion("Purchase orders (OC)")
CAB = ["TC", "IDCOMPROBANTE", "FECHA", "CUENTA", "NOMBRE", "DOMICILIO", "TELEFONO", "LOCALIDAD", "IDPROVINCIA",
       "CODIGOPOSTAL", "DOCUMENTOTIPO", "DOCUMENTONUMERO", "CONDICIONIVA", "ESTADO", "FECHAENTREGA", "IDDEPOSITO",
       "TOTAL", "USUARIO", "FECHAHORA_GRABACION"]


def cabecera(tc, ident, fecha, p, estado, entrega, total, usuario):
    return (tc, ident, fecha, p["codigo"], p["rs"], domicilio(p), p["telefono"], p["localidad"], p["provincia"],
            p["cp"], p["doctipo"], p["doc"], p["iva"], estado, entrega, "01", total, usuario,
            datetime.datetime.combine(fecha, datetime.time(9 + len(ident) % 8, 15)))


insertar("C_MV_CPTE", CAB, [cabecera("OC", o["id"], o["fecha"], o["prov"], o["estado"], o["entrega"], o["total"],
                                     o["usuario"]) for o in ordenes])
for o in ordenes:
    insertar("C_MV_CPTETAREAS", ["TC", "IDCOMPROBANTE", "CUENTA", "RENGLON", "IDTAREA", "DESCRIPCION", "HORAS",
                                 "IMPORTE"],
             [("OC", o["id"], o["prov"]["codigo"], t["renglon"], t["id"], t["desc"], t["horas"], t["importe"])
              for t in o["tareas"]])
    insertar("C_MV_CPTE_OBSERV", ["TC", "IDCOMPROBANTE", "CUENTA", "RENGLON", "OBSERVACION"],
             [("OC", o["id"], o["prov"]["codigo"], x["renglon"], x["texto"]) for x in o["observ"]])
    insertar("C_MV_CPTEINSUMOS", ["TC", "IDCOMPROBANTE", "CUENTA", "RENGLON", "IDARTICULO", "DESCRIPCION",
                                  "CANTIDAD", "PRECIO", "IMPORTE"],
             [("OC", o["id"], o["prov"]["codigo"], x["renglon"], x["art"]["id"], x["art"]["desc"], x["cant"],
               x["precio"], x["importe"]) for x in o["insumos"]])

seccion("Receiving reports (IR) and stock movements")
filas = []
for inf in informes:
    total = 0.0
    for o, fraccion in inf["origenes"]:
        total += o["total"] * min(1.0, fraccion)
    filas.append(cabecera("IR", inf["id"], inf["fecha"], inf["prov"], "C", None, dinero(total), "MGOMEZ"))
insertar("C_MV_CPTE", CAB, filas)
COLS_STOCK = ["TC", "IDCOMPROBANTE", "RENGLON", "TC_ORIGEN", "IDCOMPROBANTE_ORIGEN", "CUENTAPROVEEDOR",
              "IDARTICULO", "IDDEPOSITO", "CANTIDAD", "FECHA"]


def fila_stock(m):
    return (m["tc"], m["id"], m["renglon"], m["tco"], m["ido"], m["cuenta"], m["art"], m["dep"], m["cant"], m["fecha"])


insertar("MV_STOCK", COLS_STOCK, [fila_stock(m) for m in ajustes])
insertar("MV_STOCK", COLS_STOCK, [fila_stock(m) for m in movimientos])

# The rows the demo is built around, for whoever reads the file.
compartido = next(inf for inf in informes if len(inf["origenes"]) == 2)
resumen = [
    f"supplier with an apostrophe: P00007 {por_codigo['P00007']['rs']} (also P00027)",
    f"suppliers no longer in use (Dada_De_Baja = 1): P00031, P00032",
    f"pending order never received: {ordenes[OC_APOSTROFE]['id']} (supplier P00007)",
    f"order received alone: {ordenes[RECIBIDAS_SOLAS[0]]['id']}",
    f"orders sharing one receiving report: {ordenes[COMPARTIDAS[0]]['id']} and "
    f"{ordenes[COMPARTIDAS[1]]['id']} (report {compartido['id']})",
    f"order received in two reports: {ordenes[DOS_INFORMES]['id']}",
    f"closed orders (not pending): {', '.join(ordenes[k]['id'] for k in CERRADAS)}",
]
salida.insert(2, "--")
for n, linea in enumerate(resumen):
    salida.insert(3 + n, "--   " + linea)


def main():
    raiz = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("-o", "--salida", default=os.path.join(raiz, "app", "demo", "datos.sql"))
    args = ap.parse_args()
    texto = "\n".join(salida) + "\n"
    with open(args.salida, "w", encoding="utf-8", newline="\n") as f:
        f.write(texto)
    print(f"{args.salida}: {len(salida)} líneas", file=sys.stderr)


if __name__ == "__main__":
    main()
