# Particle systems and billboards.
orrery_test(particle_system_test particle_system_test.cpp LIBS o3d_fx o3d_window)
orrery_test(billboard_test billboard_test.cpp LIBS o3d_fx o3d_window)
