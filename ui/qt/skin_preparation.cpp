#include "ui/qt/skin_preparation.h"

#include "ui/qt/skin_fonts.h"

#include <fontconfig/fontconfig.h>

#include <future>

namespace ornavox {

namespace {

struct Preparation {
    QString program_dir;
    std::future<PreparedSkin> skin;
};

Preparation& preparation()
{
    static Preparation prepared;
    return prepared;
}

PreparedSkin prepare(const QString& program_dir)
{
    PreparedSkin prepared;
    FcInit();
    QString error;
    if (!load_skin_fonts(program_dir, error))
        prepared.errors << error;
    prepared.faces = skin_faces();
    prepared.artwork = skin::read_artwork(program_dir);
    prepared.errors << prepared.artwork.errors;
    return prepared;
}

} // namespace

void start_skin_preparation(const QString& program_dir)
{
    preparation().program_dir = program_dir;
    preparation().skin = std::async(std::launch::async, [program_dir] { return prepare(program_dir); });
}

PreparedSkin prepared_skin(const QString& program_dir)
{
    Preparation& started = preparation();
    if (started.skin.valid()) {
        PreparedSkin prepared = started.skin.get();
        if (started.program_dir == program_dir)
            return prepared;
    }
    return prepare(program_dir);
}

} // namespace ornavox
