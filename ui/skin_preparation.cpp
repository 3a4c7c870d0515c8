#include "ui/skin_preparation.h"

#include <fontconfig/fontconfig.h>

#include <future>

namespace ornavox {

namespace {

struct Preparation {
    QString program_dir;
    std::future<skin::Artwork> artwork;
};

Preparation& preparation()
{
    static Preparation prepared;
    return prepared;
}

} // namespace

void start_skin_preparation(const QString& program_dir)
{
    preparation().program_dir = program_dir;
    preparation().artwork = std::async(std::launch::async, [program_dir] {
        FcInit();
        return skin::read_artwork(program_dir);
    });
}

skin::Artwork prepared_skin_artwork(const QString& program_dir)
{
    Preparation& prepared = preparation();
    if (prepared.artwork.valid()) {
        skin::Artwork art = prepared.artwork.get();
        if (prepared.program_dir == program_dir)
            return art;
    }
    FcInit();
    return skin::read_artwork(program_dir);
}

} // namespace ornavox
