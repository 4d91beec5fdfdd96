# Adds the Quelm 3D hack to an XScreenSaver programs list, or takes it out again, leaving every
# other line as it was. The list is the value of "programs:": a key line and continuation lines
# that end in a backslash, one command per line ("... \n\"), the last line without the backslash.
#   QUELM_ENTRY=LINE awk -v mode=add|remove -v marker=TEXT -f xscreensaver_list.awk FILE
# Lines holding marker are ours. With mode=add, the entry goes in as the list's second-to-last line;
# it comes through the environment, since awk would read the backslashes of "-v" values as escapes.

BEGIN { entry = ENVIRON["QUELM_ENTRY"] }

function flush(    i, m, c, value) {
    m = 0
    for (i = 1; i <= n; i++)
        if (i == 1 || index(b[i], marker) == 0) c[++m] = b[i]
    # Our line was the list's last: the new last line must end the value.
    if (m < n && b[n] !~ /\\$/) sub(/\\$/, "", c[m])
    if (mode == "add") {
        if (m == 1 && c[1] !~ /\\$/) {
            value = c[1]
            sub(/^programs:[ \t]*/, "", value)
            print "programs:\t\t\t\t\t\t\t\t      \\"
            print entry
            print "\t\t\t\t" value
            n = 0
            return
        }
        for (i = 1; i < m; i++) print c[i]
        print entry
        print c[m]
    } else {
        for (i = 1; i <= m; i++) print c[i]
    }
    n = 0
}

state == 0 && /^programs:/ { state = 1 }
state == 1 {
    b[++n] = $0
    if ($0 !~ /\\$/) { flush(); state = 2 }
    next
}
{ print }
END { if (state == 1) flush() }
