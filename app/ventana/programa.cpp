#include "app/ventana/programa.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

#include "runtime/ajustes.hpp"

namespace dep {

namespace {

std::string QueRevisar(const std::string& motor, const std::string& detalle) {
    // The file is sound and writable then: checking it, as the advice below says, would not help.
    if (detalle.find(kBloqueadaPorOtro) != std::string::npos)
        return "Otro programa está escribiendo en la base de datos (puede ser otra depuración en curso): "
               "espere a que termine y vuelva a abrir este programa.";
    if (motor == "sqlite")
        return "Revise el archivo de la base de datos que indica cn000pr.ini (o DEPURACION_BASE): debe "
               "existir, ser una base de datos del sistema y admitir escritura, igual que su carpeta.";
    if (motor == "odbc")
        return "Revise la conexión con el servidor que indica cn000pr.ini (o DEPURACION_ODBC): el "
               "controlador ODBC, el nombre del servidor, la base de datos, el usuario y la contraseña.";
    return "Revise en cn000pr.ini el motor de base de datos indicado: se admiten «sqlite» y «odbc».";
}

}  // namespace

std::string TextoSinConexion(const std::string& motor, const std::string& detalle) {
    std::string t = "No se pudo abrir la base de datos.\n\n" + QueRevisar(motor, detalle) +
                    "\n\nLa ventana se abre sin conexión: no se podrá depurar ni calcular la vista previa.";
    if (!detalle.empty()) t += "\n\nDetalle técnico: " + detalle;
    return t;
}

Programa::Programa() {
    if (traductor_.load(QLocale(QLocale::Spanish), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&traductor_);
    std::string motor, fallo;
    std::vector<std::string> avisos;
    try {
        const AjustesConexion a = LeerAjustesConexion();
        motor = a.motor;
        avisos = a.avisos;
        cn_ = AbrirConexion(a);
    } catch (const std::exception& e) {
        fallo = e.what();
    }
    datos_ = std::make_unique<DataServices>(cn_, op_);
    formularios_ = std::make_unique<FormServices>(op_);
    consultas_ = std::make_unique<LookupServices>(op_);
    s_ = std::make_unique<Servicios>(Servicios{*datos_, *formularios_, *consultas_, op_});
    op_.FijarDatos(datos_.get());

    if (!avisos.empty()) {
        std::string texto;
        for (const auto& a : avisos) texto += a + "\n";
        op_.Mensaje(texto, vb::kSoloAceptar | vb::kExclamacion, "Aviso al Operador");
    }
    if (!fallo.empty())
        op_.Mensaje(TextoSinConexion(motor, fallo), vb::kSoloAceptar | vb::kExclamacion, "Aviso al Operador");

    w_ = std::make_unique<FrmDepuracion>(*s_);
    op_.FijarPadre(w_.get());
    if (!fallo.empty()) w_->FijarMotivoSinConexion(QueRevisar(motor, fallo));
    w_->Form_Load();
}

Programa::~Programa() {
    op_.FijarPadre(nullptr);
    w_.reset();
}

}  // namespace dep
