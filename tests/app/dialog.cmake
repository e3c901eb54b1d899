# The setup dialog's procedure, template and settings mapping, without a display.
orrery_test(app_setup_dialog_test setup_dialog_test.cpp LIBS o3d_app)
