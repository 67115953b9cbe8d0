# Debian ships the OpenCV modules as separate -dev packages without a CMake
# package file unless the whole suite is installed, so look the modules up here.
find_path(TW_OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
add_library(tw_opencv INTERFACE)
target_include_directories(tw_opencv SYSTEM INTERFACE ${TW_OPENCV_INCLUDE_DIR})
foreach(module core imgproc features2d flann)
    find_library(TW_OPENCV_${module} opencv_${module} REQUIRED)
    target_link_libraries(tw_opencv INTERFACE ${TW_OPENCV_${module}})
endforeach()
# The image codecs and the many libraries they pull in (some 40 MiB resident
# at start) are linked only by the codec module that the programs load on
# their first decode, and by tests and benchmarks that encode images.
find_library(TW_OPENCV_imgcodecs opencv_imgcodecs REQUIRED)
add_library(tw_opencv_codecs INTERFACE)
target_link_libraries(tw_opencv_codecs INTERFACE tw_opencv ${TW_OPENCV_imgcodecs})
