# The web read-out's page: our files in resources/web/ and uPlot's built files
# from node_modules/ (installed by scripts/setup from package-lock.json), all
# built into the programs under :/web/. The browser never fetches anything
# from elsewhere.
set(TESSAR_UPLOT_DIR ${CMAKE_SOURCE_DIR}/node_modules/uplot/dist)
if(NOT EXISTS ${TESSAR_UPLOT_DIR}/uPlot.iife.min.js OR NOT EXISTS ${TESSAR_UPLOT_DIR}/uPlot.min.css)
  message(FATAL_ERROR "uPlot is missing from node_modules/ (the web read-out's chart): "
                      "run scripts/setup, which installs it with npm ci")
endif()
set_source_files_properties(${TESSAR_UPLOT_DIR}/uPlot.iife.min.js
                            PROPERTIES QT_RESOURCE_ALIAS uPlot.iife.min.js)
set_source_files_properties(${TESSAR_UPLOT_DIR}/uPlot.min.css
                            PROPERTIES QT_RESOURCE_ALIAS uPlot.min.css)
qt_add_resources(tessar_ui web
  PREFIX /web
  BASE ${CMAKE_CURRENT_LIST_DIR}
  FILES ${CMAKE_CURRENT_LIST_DIR}/index.html ${CMAKE_CURRENT_LIST_DIR}/style.css
        ${CMAKE_CURRENT_LIST_DIR}/app.js
        ${TESSAR_UPLOT_DIR}/uPlot.iife.min.js ${TESSAR_UPLOT_DIR}/uPlot.min.css)
target_link_libraries(tessar_ui PUBLIC Qt6::HttpServer Qt6::WebSockets)
