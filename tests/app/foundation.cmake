set(_foundation ${CMAKE_CURRENT_LIST_DIR}/foundation)
quillmark_add_test(LevelFormatterTest SOURCES ${_foundation}/LevelFormatterTest.cpp ${_foundation}/CommaLocale.cpp
                   LIBS quillmark_app)
quillmark_add_test(HUDTokensTest SOURCES ${_foundation}/HUDTokensTest.cpp LIBS quillmark_app OFFSCREEN)
quillmark_add_test(PublishedTest SOURCES ${_foundation}/PublishedTest.cpp LIBS quillmark_app)
quillmark_add_test(PreferencesStoreTest SOURCES ${_foundation}/PreferencesStoreTest.cpp LIBS quillmark_app)
quillmark_add_test(QSettingsUserDefaultsTest SOURCES ${_foundation}/QSettingsUserDefaultsTest.cpp LIBS quillmark_app)
quillmark_add_test(ResourceBundleTest SOURCES ${_foundation}/ResourceBundleTest.cpp LIBS quillmark_app)
quillmark_add_test(FontRegistryTest SOURCES ${_foundation}/FontRegistryTest.cpp LIBS quillmark_app OFFSCREEN)
quillmark_add_test(QtMainQueueTest SOURCES ${_foundation}/QtMainQueueTest.cpp LIBS quillmark_app)
quillmark_add_test(MonitorControlTest SOURCES ${_foundation}/MonitorControlTest.cpp ${_foundation}/CommaLocale.cpp
                   LIBS quillmark_app)
