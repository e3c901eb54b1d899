# Tests of the soundtrack: the synthesised PCM (arrangement, levels) and the encoded MP3.
orrery_test(music_dsp_test music_dsp_test.cpp LIBS o3d_assets_music)
orrery_test(music_arrangement_test music_arrangement_test.cpp LIBS o3d_assets_music)
orrery_test(music_mp3_test music_mp3_test.cpp LIBS o3d_assets_music o3d_sound)
