#include "tools/assets/city/city_files.h"

#include "tools/assets/city/city_blood.h"
#include "tools/assets/city/city_model.h"
#include "tools/assets/city/city_textures.h"
#include "tools/assets/city/city_vehicles.h"
#include "tools/assets/core/x_writer.h"

namespace assets {

AssetList CityFiles() {
    AssetList files = {
        {"demo.x", [] { return WriteX(city::BuildCityModel(), XEncoding::Binary); }},
        {"cars.x", [] { return WriteX(city::BuildCarsModel(), XEncoding::Text); }},
        {"trains_anim.x", [] { return WriteX(city::BuildTrainsModel(), XEncoding::Text); }},
        {"blood.x", [] { return WriteX(city::BuildBloodModel(), XEncoding::Text); }},
        {city::kBloodTexture, [] { return EncodeJpeg(city::MakeBloodTexture()); }},
    };
    for (const city::CityTexture& t : city::CityTextures()) {
        auto make = t.make;
        files.push_back({t.name, [make] { return EncodeJpeg(make()); }});
    }
    return files;
}

}  // namespace assets
