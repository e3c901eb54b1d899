// "tunnel.x": one segment of the train tunnel, local y = -1570..0, seen from inside.
#pragma once

#include "tools/assets/core/model.h"

namespace assets::tunnels {

// One top-level mesh: brick walls and arch over concrete walkways, two ballasted tracks with
// rails and sleepers, cable runs on both walls, arch ribs, two hanging lamps, a signal.
Model RailTunnelModel();

}  // namespace assets::tunnels
