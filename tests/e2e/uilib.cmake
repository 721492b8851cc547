# Every skin as the library draws it, under Xvfb and Wine: screenshots, the
# windows' sizes, real input on controls found by name; and the same at 150 %
# display scaling, in a prefix of its own.
tavrix_add_e2e(e2e.uilib.skin_screenshots SCRIPT uilib_skin_screenshots.sh TIMEOUT 300)
tavrix_add_e2e(e2e.uilib.dpi_150 SCRIPT uilib_dpi.sh TIMEOUT 300)
