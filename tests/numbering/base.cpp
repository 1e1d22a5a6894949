#include "base.hpp"

#include "common/configuracion.hpp"
#include "demo/demo.hpp"
#include "numbering/ast.hpp"
#include "runtime/ajustes.hpp"
#include "runtime/motores.hpp"

namespace dep::prueba {

void BaseNumeracion::SetUp() {
    carpeta.emplace("dep-numeracion");
    const std::string base = *carpeta / "prueba.db";
    CrearEsquema(base);
    AjustesConexion a;
    a.motor = "sqlite";
    a.base = base;
    espia = std::make_shared<ConexionEspia>(AbrirSqlite(a));
    datos = std::make_unique<DataServices>(espia, op);
    formularios = std::make_unique<FormServices>(op);
    consultas = std::make_unique<LookupServices>(op);
    s = std::make_unique<Servicios>(Servicios{*datos, *formularios, *consultas, op});
    UsuarioSuite().clear();
    TablaConfig().clear();
}

void BaseNumeracion::TearDown() {
    // Whatever way the routines left, none of their record sets stays open.
    EXPECT_EQ(numeracion::ConjuntosAbiertos(), 0);
    s.reset();
    consultas.reset();
    formularios.reset();
    datos.reset();
    espia.reset();
    carpeta.reset();
}

void BaseNumeracion::Sql(const std::string& sql) {
    espia->real().Execute(sql);
}

void BaseNumeracion::Talonario(const std::string& codigo, int talonario, const std::string& letras,
                               const std::string& columnas, const std::string& valores,
                               const std::string& unegocio, const std::string& modifica) {
    Sql("INSERT INTO V_TA_CPTE (CODIGO, TALONARIO, UNEGOCIO, Letras, Modificanumeracion" +
        (columnas.empty() ? "" : ", " + columnas) + ") VALUES ('" + codigo + "', " +
        std::to_string(talonario) + ", '" + unegocio + "', " +
        (letras == "NULL" ? "NULL" : "'" + letras + "'") + ", '" + modifica + "'" +
        (valores.empty() ? "" : ", " + valores) + ")");
}

Value BaseNumeracion::Uno(const std::string& sql) {
    Resultado r = espia->real().Consultar(sql);
    if (r.filas.empty() || r.filas[0].empty()) return Value();
    return r.filas[0][0];
}

std::vector<std::string> BaseNumeracion::Rutinas() const {
    std::vector<std::string> v;
    for (const auto& l : op.DeTipo(OperadorGuionado::Tipo::ErrorRutina)) v.push_back(l.rutina);
    return v;
}

}  // namespace dep::prueba
