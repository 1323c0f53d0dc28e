# A session log as the program writes it (CR LF, closing lines that agree with the words), for
# the bench: `utterances` utterances of `words` words each. With `reference` set, the spoken
# text goes there, one line per utterance, about one word in ten differing from the log's. With
# `segment` set to n, Reset All follows every n-th utterance (numbers start again from 1).
BEGIN {
    srand(7)
    ORS = "\r\n"
    rule = "-------------------------------------------------"
    print "Mirelle Session Started: Wednesday, December 9, 2026 15:00:00"
    print "Mirelle Log File Service, generated for the bench"
    print ""
    n = 0
    for (u = 1; u <= utterances; u++) {
        n++
        printf "Utterance #: %d      RTF: %.3f      %d alternate phrases in result\r\n", n, 0.2 + rand(), 1 + int(rand() * 5)
        print words " words in utterance, each with individual confidence scores:"
        print ""
        sum = 0; mx = 0; mn = 999; mxw = "(null)"; mnw = "(null)"; line = ""
        for (i = 1; i <= words; i++) {
            s = int(rand() * 101)
            w = "word" int(rand() * 500)
            sum += s
            if (s > mx) { mx = s; mxw = w }
            if (s < mn) { mn = s; mnw = w }
            print s " : " w
            if (reference != "")
                line = line (i > 1 ? " " : "") (rand() < 0.1 ? "other" : w)
        }
        print ""
        print mx " : " mxw " <---> Maximum Score"
        print mn " : " mnw " <---> Minimum Score"
        print int(sum / words) " : <---> Average Score"
        print rule
        print ""
        if (reference != "")
            print line > reference
        if (segment > 0 && n == segment && u < utterances) {
            print "Reset All pressed."
            print ""
            print rule
            print ""
            n = 0
        }
    }
}
