# Lights, mesh instances, the world render list, screen images and sprites.
orrery_test(mesh_instance_test mesh_instance_test.cpp LIBS o3d_fx)
orrery_test(render_list_test render_list_test.cpp LIBS o3d_fx o3d_window)
orrery_test(screen_image_test screen_image_test.cpp LIBS o3d_fx o3d_window)
orrery_test(sprite_test sprite_test.cpp LIBS o3d_fx o3d_window)
