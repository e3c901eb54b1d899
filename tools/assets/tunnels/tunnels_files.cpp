#include "tools/assets/tunnels/tunnels_files.h"

#include "tools/assets/core/x_writer.h"
#include "tools/assets/tunnels/hand_model.h"
#include "tools/assets/tunnels/organic_models.h"
#include "tools/assets/tunnels/rail_tunnel.h"
#include "tools/assets/tunnels/train_model.h"
#include "tools/assets/tunnels/tunnel_textures.h"

namespace assets {

AssetList TunnelFiles() {
    using namespace tunnels;
    const auto x = [](const char* name, Model (*build)(), XEncoding encoding) {
        return AssetFile{name, [build, encoding] { return WriteX(build(), encoding); }};
    };
    const auto jpeg = [](const char* name, Image (*paint)()) {
        return AssetFile{name, [paint] { return EncodeJpeg(paint(), 90); }};
    };
    return {
        x("tunnel.x", RailTunnelModel, XEncoding::TextCompressed),
        x("train.x", TrainModel, XEncoding::Text),
        x("hand.x", HandModel, XEncoding::Text),
        x("org_tunnel.x", OrganicTunnelModel, XEncoding::Text),
        x("eye_anim.x", EyeModel, XEncoding::BinaryCompressed),
        x("teeth_anim.x", TeethModel, XEncoding::Text),
        jpeg("tun_brick.jpg", BrickTexture),
        jpeg("tun_concrete.jpg", ConcreteTexture),
        jpeg("tun_ballast.jpg", BallastTexture),
        jpeg("tun_sleeper.jpg", SleeperTexture),
        jpeg("train_body.jpg", TrainBodyTexture),
        jpeg("train_front.jpg", TrainFrontTexture),
        jpeg("hand_skin.jpg", SkinTexture),
        jpeg("org_flesh.jpg", FleshTexture),
        jpeg("org_eye.jpg", EyeTexture),
        jpeg("org_enamel.jpg", EnamelTexture),
    };
}

}  // namespace assets
