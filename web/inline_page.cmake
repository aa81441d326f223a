# Puts style.css, read_ahead.js and app.js into index.html in place of the
# lines that name them, so that the page is one file besides torvane.js and
# torvane.wasm.
file(READ ${SOURCE}/index.html page)
file(READ ${SOURCE}/style.css style)
file(READ ${SOURCE}/read_ahead.js readAhead)
file(READ ${SOURCE}/app.js script)
string(REPLACE "<link rel=\"stylesheet\" href=\"style.css\">" "<style>\n${style}</style>" page "${page}")
string(REPLACE "<script src=\"read_ahead.js\"></script>\n<script src=\"app.js\"></script>"
       "<script>\n${readAhead}\n${script}</script>" page "${page}")
file(WRITE ${OUTPUT} "${page}")
