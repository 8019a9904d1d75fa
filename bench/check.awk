# The checks of `kestrix --check`, written in awk, for a side-by-side timing
# with the program itself:
#   awk -f bench/check.awk FILE
# It prints the same lines for a file read under the C locale; it does not
# enforce the limits of the reader (line count, file size, values per line).
BEGIN {
    # Per column: "t" and the length limit, or "n", the minimum and the maximum.
    split("t 14|n 1 50000|n 0 20|n 0 20|n 0 20|n -10 10|n -10 10|n -10 10|n 10 120|" \
          "n 0.5 2|n 0 1|n 0 1|n 1 5|n 5 300|n 0.1 50|t 0|t 0|n 0.1 20|n 0 1|t 0|n 10 40|" \
          "n 0 10|n 0 10|n 0 10|n 0.2 5|n 1 150000|n -2 2|n -2 2|n -2 2|t 4|t 0|t 0", defs, "|")
    for (s = 0; s < 32; ++s) {
        split(defs[s + 1], def, " ")
        isText[s] = def[1] == "t"
        if (isText[s]) {
            maxLength[s] = def[2] + 0
        } else {
            minimumText[s] = def[2]
            minimum[s] = def[2] + 0
            maximumText[s] = def[3]
            maximum[s] = def[3] + 0
        }
    }
    FS = "[ \t]+"
    numeric = "^[ \t]*[-+]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?[ \t]*$"
    errors = 0
}
{
    sub(/\r$/, "")
    if (substr($0, 1, 1) == ";")
        next
    line = $0
    sub(/^[ \t]+/, "", line)
    count = split(line, values, FS)
    if (values[count] == "")
        --count
    name = values[1]
    for (s = 0; s < 32; ++s) {
        v = s < count ? values[s + 1] : ""
        if (isText[s]) {
            if (v == "")
                report(s, "The text field is empty")
            else if (maxLength[s] >= 1 && length(v) > maxLength[s])
                report(s, v " is longer than maximum length " maxLength[s] ".")
        } else if (v !~ numeric) {
            report(s, v " is not a valid number.")
        } else {
            x = v + 0
            if (x < minimum[s])
                report(s, v " is smaller than minimum value " minimumText[s] ".")
            if (x > maximum[s])
                report(s, v " is larger than maximum value " maximumText[s] ".")
        }
    }
}
function report(column, message) {
    ++errors
    printf "#%d\t%s\t%s\n", column, name, message
}
END {
    exit errors > 0
}
