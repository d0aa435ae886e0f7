# Fuzz targets (built only with -DSORVANE_FUZZ=ON and clang).
