# The artwork generator's sources, all but its main: telvaro-artwork (tools/CMakeLists.txt) and
# the artwork test (tests/artwork) build the same list.
set(TELVARO_ARTWORK_SOURCES)
foreach(source ArtMap.cpp ArtShape.cpp ArtSkinPaint.cpp ArtSkinChecks.cpp ArtSkin.cpp ArtBmp.cpp ArtPreview.cpp
               ArtViewer.cpp ArtMedia.cpp ArtPictures.cpp ArtGif.cpp ArtCompare.cpp)
  list(APPEND TELVARO_ARTWORK_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${source})
endforeach()
