<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Application</name>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>Barcode</name>
    <message>
        <source>%1 needs something to encode, not an empty text</source>
        <translation>%1 braucht etwas zum Codieren, keinen leeren Text</translation>
    </message>
    <message>
        <source>EAN-13 takes 12 or 13 digits, not %1</source>
        <translation>EAN-13 nimmt 12 oder 13 Ziffern, nicht %1</translation>
    </message>
    <message>
        <source>EAN-13 ends in the check digit %1, not %2</source>
        <translation>EAN-13 endet mit der Prüfziffer %1, nicht %2</translation>
    </message>
    <message>
        <source>ITF takes an even number of digits, not %1</source>
        <translation>ITF nimmt eine gerade Anzahl Ziffern, nicht %1</translation>
    </message>
    <message>
        <source>Code 39 takes digits, capital letters, space and - . $ / + %, not %1</source>
        <translation>Code 39 nimmt Ziffern, Großbuchstaben, Leerzeichen und - . $ / + %, nicht %1</translation>
    </message>
    <message>
        <source>Out of memory encoding %1</source>
        <translation>Kein Speicher mehr beim Codieren von %1</translation>
    </message>
    <message>
        <source>%1 cannot encode &apos;%2&apos;: %3</source>
        <translation>%1 kann &apos;%2&apos; nicht codieren: %3</translation>
    </message>
</context>
<context>
    <name>Calibration</name>
    <message>
        <source>Calibrated for %1: %2 in, %3 in</source>
        <translation>%1 kalibr.: %2, %3 in</translation>
    </message>
    <message>
        <source>Position %1</source>
        <translation>Position %1</translation>
    </message>
    <message>
        <source>printable corner: %1 in, %2 in</source>
        <translation>Ecke des Druckbereichs: %1 in, %2 in</translation>
    </message>
    <message>
        <source>Calibration sheet for %1</source>
        <translation>Kalibrierblatt für %1</translation>
    </message>
    <message>
        <source>Tallyforge calibration sheet</source>
        <translation>Tallyforge-Kalibrierblatt</translation>
    </message>
    <message>
        <source>meant at %1 in from the left edge, %2 in from the top edge</source>
        <translation>Soll: %1 in vom linken Rand, %2 in vom oberen Rand</translation>
    </message>
    <message>
        <source>With a ruler, measure each crosshair&apos;s centre from the paper&apos;s left edge and from its top edge, and enter the distances under Options &gt; Calibrate Printer.</source>
        <translation>Messen Sie mit einem Lineal die Mitte jedes Fadenkreuzes vom linken und vom oberen Papierrand und tragen Sie die Abstände unter Optionen &gt; Drucker kalibrieren ein.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>--force sets the series there</source>
        <translation>--force setzt die Serie dorthin</translation>
    </message>
    <message>
        <source>--sheet takes columns and rows as COLSxROWS (e.g. 2x4), not &apos;%1&apos;</source>
        <translation>--sheet erwartet Spalten und Zeilen als SPALTENxZEILEN (z. B. 2x4), nicht &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Try &apos;tallyforge --help&apos; for more information.</source>
        <translation>„tallyforge --help“ zeigt weitere Informationen.</translation>
    </message>
    <message>
        <source>--%1 needs a whole number, not &apos;%2&apos;</source>
        <translation>--%1 erwartet eine ganze Zahl, nicht „%2“</translation>
    </message>
    <message>
        <source>%1 of %2 pages, %3, %4 pages/s</source>
        <translation>%1 von %2 Seiten, %3, %4 Seiten/s</translation>
    </message>
    <message>
        <source>--printer and --output cannot go together</source>
        <translation>--printer und --output schließen einander aus</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>unerwartetes Argument „%1“</translation>
    </message>
    <message>
        <source>There is no printer named %1</source>
        <translation>Es gibt keinen Drucker namens %1</translation>
    </message>
    <message>
        <source>The file %1 exists already</source>
        <translation>Die Datei %1 existiert bereits</translation>
    </message>
    <message>
        <source>There is no folder %1</source>
        <translation>Es gibt keinen Ordner %1</translation>
    </message>
    <message>
        <source>The last number in %1 cannot be read: &apos;%2&apos;</source>
        <translation>Die letzte Nummer in %1 ist nicht lesbar: „%2“</translation>
    </message>
    <message>
        <source>Printed %1 to %2 into %3</source>
        <translation>%1 bis %2 in %3 gedruckt</translation>
    </message>
    <message>
        <source>Prints a run of pages with one serial number per page.</source>
        <translation>Druckt eine Folge von Seiten mit einer Seriennummer je Seite.</translation>
    </message>
    <message>
        <source>Use this settings file.</source>
        <translation>Diese Einstellungsdatei verwenden.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>DATEI</translation>
    </message>
    <message>
        <source>print: the number of pages (default: the page count of the settings).</source>
        <translation>print: die Seitenzahl (Vorgabe: die Seitenzahl der Einstellungen).</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>print: the first serial number (default: the number after the last one printed).</source>
        <translation>print: die erste Seriennummer (Vorgabe: die Nummer nach der zuletzt gedruckten).</translation>
    </message>
    <message>
        <source>print: print on this CUPS queue.</source>
        <translation>print: auf dieser CUPS-Warteschlange drucken.</translation>
    </message>
    <message>
        <source>QUEUE</source>
        <translation>WARTESCHLANGE</translation>
    </message>
    <message>
        <source>print: write this PDF file, which must not exist yet.</source>
        <translation>print: diese PDF-Datei schreiben, die noch nicht existieren darf.</translation>
    </message>
    <message>
        <source>FILE.pdf</source>
        <translation>DATEI.pdf</translation>
    </message>
    <message>
        <source>print: print as File &gt; Print does, leaving the counter.</source>
        <translation>print: wie Datei &gt; Drucken drucken, ohne den Zähler zu ändern.</translation>
    </message>
    <message>
        <source>--%1 goes with the print command</source>
        <translation>--%1 gehört zum Befehl print</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>unbekannter Befehl „%1“</translation>
    </message>
    <message>
        <source>reprint needs the first and the last serial number</source>
        <translation>reprint braucht die erste und die letzte Seriennummer</translation>
    </message>
    <message>
        <source>reprint takes its serials from FIRST and LAST alone</source>
        <translation>reprint nimmt seine Seriennummern allein aus ERSTE und LETZTE</translation>
    </message>
    <message>
        <source>--mark goes with the reprint command</source>
        <translation>--mark gehört zum Befehl reprint</translation>
    </message>
    <message>
        <source>REPRINT</source>
        <translation>NACHDRUCK</translation>
    </message>
    <message>
        <source>tallyforge: warning: %1</source>
        <translation>tallyforge: Warnung: %1</translation>
    </message>
    <message>
        <source>print, reprint: pad the numbers with zeros to this width.</source>
        <translation>print, reprint: die Nummern mit Nullen auf diese Breite auffüllen.</translation>
    </message>
    <message>
        <source>reprint: the text beside each number (default REPRINT).</source>
        <translation>reprint: der Text neben jeder Nummer (Vorgabe NACHDRUCK).</translation>
    </message>
    <message>
        <source>TEXT</source>
        <translation>TEXT</translation>
    </message>
    <message>
        <source>log: the records as CSV.</source>
        <translation>log: die Einträge als CSV.</translation>
    </message>
    <message>
        <source>print, reprint: no progress and no report.</source>
        <translation>print, reprint: weder Fortschritt noch Bericht.</translation>
    </message>
    <message>
        <source>series takes &apos;show&apos; or &apos;set-next N&apos;</source>
        <translation>series erwartet „show“ oder „set-next N“</translation>
    </message>
    <message>
        <source>set-next needs a whole number, not &apos;%1&apos;</source>
        <translation>set-next erwartet eine ganze Zahl, nicht „%1“</translation>
    </message>
    <message>
        <source>set-next moves a shared series (--series-server and --series, or [Series] in the settings file)</source>
        <translation>set-next verschiebt eine geteilte Serie (--series-server und --series oder [Series] in der Einstellungsdatei)</translation>
    </message>
    <message>
        <source>(this station&apos;s counter)</source>
        <translation>(der Zähler dieses Arbeitsplatzes)</translation>
    </message>
    <message>
        <source>Take the numbers from a series shared on this PostgreSQL server (postgresql://user@host:port/database); the password comes from ~/.pgpass or PGPASSWORD.</source>
        <translation>Die Nummern aus einer auf diesem PostgreSQL-Server geteilten Serie nehmen (postgresql://benutzer@host:port/datenbank); das Passwort kommt aus ~/.pgpass oder PGPASSWORD.</translation>
    </message>
    <message>
        <source>URI</source>
        <translation>URI</translation>
    </message>
    <message>
        <source>The shared series&apos; name.</source>
        <translation>Der Name der geteilten Serie.</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>print, reprint: ignore the printer&apos;s calibration ([Calibration] in the settings file).</source>
        <translation>print, reprint: die Kalibrierung des Druckers nicht anwenden ([Calibration] in der Einstellungsdatei).</translation>
    </message>
    <message>
        <source>not printing from the number given with --start</source>
        <translation>es wird nicht ab der mit --start genannten Nummer gedruckt</translation>
    </message>
    <message>
        <source>--force reprints them all the same</source>
        <translation>--force druckt sie trotzdem nach</translation>
    </message>
    <message>
        <source>--force prints them again</source>
        <translation>--force druckt sie trotzdem erneut</translation>
    </message>
    <message>
        <source>--force reprints all the same</source>
        <translation>--force druckt trotzdem nach</translation>
    </message>
    <message>
        <source>--force prints all the same</source>
        <translation>--force druckt trotzdem</translation>
    </message>
    <message>
        <source>Another Tallyforge printed since this run started; not printing from %1</source>
        <translation>Ein anderes Tallyforge hat seit dem Start dieses Laufs gedruckt; es wird nicht ab %1 gedruckt</translation>
    </message>
    <message>
        <source>The counter in %1 keeps moving; nothing was printed</source>
        <translation>Der Zähler in %1 ändert sich ständig; es wurde nichts gedruckt</translation>
    </message>
    <message>
        <source>started</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>printer</source>
        <translation>Drucker</translation>
    </message>
    <message>
        <source>output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>print, reprint: this many tickets across and down each sheet, e.g. 2x4 (default: [Sheet] in the settings file).</source>
        <translation>print, reprint: so viele Tickets nebeneinander und untereinander auf jedem Bogen, z. B. 2x4 (Vorgabe: [Sheet] in der Einstellungsdatei).</translation>
    </message>
    <message>
        <source>COLSxROWS</source>
        <translation>SPALTENxZEILEN</translation>
    </message>
    <message>
        <source>print, reprint: the tickets&apos; order on the sheets: rows, columns, or stack (cut and stacked, each pile in order).</source>
        <translation>print, reprint: die Reihenfolge der Tickets auf den Bögen: rows (zeilenweise), columns (spaltenweise) oder stack (geschnitten und gestapelt, jeder Stapel in Folge).</translation>
    </message>
    <message>
        <source>ORDER</source>
        <translation>REIHENFOLGE</translation>
    </message>
    <message>
        <source>print, reprint: with --order stack, sheets a pile (0: the whole run).</source>
        <translation>print, reprint: mit --order stack die Bögen je Stapel (0: der ganze Lauf).</translation>
    </message>
    <message>
        <source>print, reprint: each sheet this many times in a row (1 to 20).</source>
        <translation>print, reprint: jeden Bogen so oft hintereinander (1 bis 20).</translation>
    </message>
    <message>
        <source>print, reprint: the last sheet first.</source>
        <translation>print, reprint: den letzten Bogen zuerst.</translation>
    </message>
    <message>
        <source>print, reprint: the first ticket&apos;s place on the first sheet, counted from 1 (rows and columns).</source>
        <translation>print, reprint: der Platz des ersten Tickets auf dem ersten Bogen, ab 1 gezählt (zeilen- und spaltenweise).</translation>
    </message>
    <message>
        <source>print, reprint: marks where the sheets are cut.</source>
        <translation>print, reprint: Schnittmarken, wo die Bögen geschnitten werden.</translation>
    </message>
    <message>
        <source>--order takes rows, columns or stack, not &apos;%1&apos;</source>
        <translation>--order erwartet rows, columns oder stack, nicht &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--first-slot goes with the rows and columns orders, not stack</source>
        <translation>--first-slot gilt für die Reihenfolgen rows und columns, nicht für stack</translation>
    </message>
    <message>
        <source>%1 of %2 sheets, %3 sheets/s</source>
        <translation>%1 von %2 Bögen, %3 Bögen/s</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a run id of the log</source>
        <translation>„%1“ ist keine Laufkennung aus dem Protokoll</translation>
    </message>
    <message>
        <source>Run %1 has no sheets left to print</source>
        <translation>Dem Lauf %1 fehlen keine Bögen</translation>
    </message>
    <message>
        <source>No stopped run has sheets left to print</source>
        <translation>Keinem abgebrochenen Lauf fehlen Bögen</translation>
    </message>
    <message>
        <source>resume prints the rest of a run as it began, without --%1</source>
        <translation>resume druckt den Rest eines Laufs so, wie er begonnen wurde, ohne --%1</translation>
    </message>
    <message>
        <source>Stopped after %1 of %2 sheets; %3 to %4 stay used, and &apos;tallyforge resume&apos; prints the rest</source>
        <translation>Nach %1 von %2 Bögen abgebrochen; %3 bis %4 bleiben vergeben, und „tallyforge resume“ druckt den Rest</translation>
    </message>
    <message>
        <source>print: the difference between one serial and the next, 1 or more (default: [SN] Step in the settings file).</source>
        <translation>print: der Abstand von einer Seriennummer zur nächsten, 1 oder mehr (Vorgabe: [SN] Step in der Einstellungsdatei).</translation>
    </message>
    <message>
        <source>print: the check character after each number: none, luhn, mod10, mod11 or mod7 (default: [SN] Check in the settings file).</source>
        <translation>print: das Prüfzeichen hinter jeder Nummer: none, luhn, mod10, mod11 oder mod7 (Vorgabe: [SN] Check in der Einstellungsdatei).</translation>
    </message>
    <message>
        <source>SCHEME</source>
        <translation>VERFAHREN</translation>
    </message>
    <message>
        <source>--%1 goes with the print command: a reprint steps and checks its serials as their run did</source>
        <translation>--%1 gehört zum Befehl print: ein Nachdruck verwendet Schrittweite und Prüfzeichen des Laufs, der die Nummern gedruckt hat</translation>
    </message>
    <message>
        <source>--check takes none, luhn, mod10, mod11 or mod7, not &apos;%1&apos;</source>
        <translation>--check erwartet none, luhn, mod10, mod11 oder mod7, nicht „%1“</translation>
    </message>
    <message>
        <source>Printed the last %1 sheets of %2 to %3</source>
        <translation>Die letzten %1 Bögen von %2 bis %3 gedruckt</translation>
    </message>
    <message>
        <source>print, reprint: print the numbers on this artwork PDF (default: [Template] in the settings file).</source>
        <translation>print, reprint: die Nummern auf dieses Vorlagen-PDF drucken (Vorgabe: [Template] in der Einstellungsdatei).</translation>
    </message>
    <message>
        <source>print, reprint: the artwork&apos;s page under every sheet or ticket, counted from 1.</source>
        <translation>print, reprint: die Seite der Vorlage unter jedem Bogen oder Ticket, ab 1 gezählt.</translation>
    </message>
    <message>
        <source>print, reprint: no artwork, whatever the settings file says.</source>
        <translation>print, reprint: keine Vorlage, gleich was die Einstellungsdatei sagt.</translation>
    </message>
    <message>
        <source>--no-template cannot go with --template or --template-page</source>
        <translation>--no-template schließt --template und --template-page aus</translation>
    </message>
    <message>
        <source>--template takes the artwork&apos;s PDF file</source>
        <translation>--template erwartet die PDF-Datei der Vorlage</translation>
    </message>
    <message>
        <source>--template-page goes with a template (--template or [Template] in the settings file)</source>
        <translation>--template-page gehört zu einer Vorlage (--template oder [Template] in der Einstellungsdatei)</translation>
    </message>
    <message>
        <source>log: only the runs that printed this serial (as printed, e.g. SC-000017, or a number).</source>
        <translation>log: nur die Läufe, die diese Seriennummer gedruckt haben (wie gedruckt, z. B. SC-000017, oder als Zahl).</translation>
    </message>
    <message>
        <source>SERIAL</source>
        <translation>SERIENNUMMER</translation>
    </message>
    <message>
        <source>run</source>
        <translation>Lauf</translation>
    </message>
    <message>
        <source>first</source>
        <translation>Erste</translation>
    </message>
    <message>
        <source>last</source>
        <translation>Letzte</translation>
    </message>
    <message>
        <source>%1, rest of %2</source>
        <translation>%1, Rest von %2</translation>
    </message>
    <message>
        <source>tickets</source>
        <translation>Tickets</translation>
    </message>
    <message>
        <source>sheets</source>
        <translation>Bögen</translation>
    </message>
    <message>
        <source>tallyforge: note: %1</source>
        <translation>tallyforge: Hinweis: %1</translation>
    </message>
    <message>
        <source>print, reprint, resume: wait until the printer has finished the print jobs; the exit status is 0 only when they completed, 3 otherwise.</source>
        <translation>print, reprint, resume: warten, bis der Drucker die Druckaufträge beendet hat; der Rückgabewert ist nur dann 0, wenn sie abgeschlossen wurden, sonst 3.</translation>
    </message>
    <message>
        <source>Job %1 on %2 was cancelled</source>
        <translation>Auftrag %1 auf %2 wurde abgebrochen</translation>
    </message>
    <message>
        <source>Job %1 on %2 was aborted by the printer</source>
        <translation>Auftrag %1 auf %2 wurde vom Drucker abgebrochen</translation>
    </message>
    <message>
        <source>%1 after %2 of its %3 sheets; the serials not printed stay used, and &apos;tallyforge resume %4&apos; prints them</source>
        <translation>%1 nach %2 von %3 Bögen; die nicht gedruckten Seriennummern bleiben vergeben, und „tallyforge resume %4“ druckt sie</translation>
    </message>
    <message>
        <source>%1; the print server cannot say how many of its %2 sheets came out, and &apos;tallyforge resume --force %3&apos; prints them all</source>
        <translation>%1; der Druckserver kann nicht sagen, wie viele seiner %2 Bögen gedruckt wurden, und „tallyforge resume --force %3“ druckt sie alle</translation>
    </message>
    <message>
        <source>jobs %1 to %2</source>
        <translation>Aufträge %1 bis %2</translation>
    </message>
    <message>
        <source>job %1</source>
        <translation>Auftrag %1</translation>
    </message>
    <message>
        <source>Sent the last %1 sheets of %2 to %3 to %4 as %5; not yet printed</source>
        <translation>Die letzten %1 Bögen von %2 bis %3 an %4 gesendet als %5; noch nicht gedruckt</translation>
    </message>
    <message>
        <source>Sent %1 to %2 to %3 as %4; not yet printed</source>
        <translation>%1 bis %2 an %3 gesendet als %4; noch nicht gedruckt</translation>
    </message>
    <message>
        <source>Printed %1 to %2 on %3 as %4</source>
        <translation>%1 bis %2 auf %3 gedruckt als %4</translation>
    </message>
    <message>
        <source>&apos;print&apos; prints the next run without a window, &apos;reprint FIRST LAST&apos; prints those serials again, &apos;resume [RUN]&apos; prints the sheets a stopped run did not (the newest such run, or the one with this id in the log), &apos;void FIRST [LAST]&apos; records spoiled serials as void, &apos;log&apos; lists the runs (&apos;log --summary&apos; accounts for every number), &apos;series show&apos; and &apos;series set-next N&apos; show and move a shared series; without a command the window opens.</source>
        <translation>„print“ druckt die nächste Folge ohne Fenster, „reprint ERSTE LETZTE“ druckt diese Seriennummern erneut, „resume [LAUF]“ druckt die Bögen, die ein abgebrochener Lauf nicht gedruckt hat (den neuesten solchen Lauf oder den mit dieser Kennung im Protokoll), „void ERSTE [LETZTE]“ trägt verdorbene Seriennummern als ungültig ein, „log“ listet die Läufe („log --summary“ weist jede Nummer nach), „series show“ und „series set-next N“ zeigen und verschieben eine geteilte Serie; ohne Befehl öffnet sich das Fenster.</translation>
    </message>
    <message>
        <source>print: print serials the journal shows as printed, or set a shared series to --start; reprint: serials it does not; void: serials no run printed or took, up to the last number.</source>
        <translation>print: Seriennummern drucken, die laut Protokoll schon gedruckt sind, oder eine gemeinsame Serie auf --start setzen; reprint: solche, die es nicht sind; void: Seriennummern, die kein Lauf gedruckt oder belegt hat, bis zur letzten Nummer.</translation>
    </message>
    <message>
        <source>log: where every number of the series went (printed, void, given back, held, sent, skipped, unaccounted); exit status 1 when some are unaccounted.</source>
        <translation>log: wo jede Nummer der Serie geblieben ist (gedruckt, ungültig, zurückgegeben, zurückgehalten, gesendet, übersprungen, ohne Nachweis); Exit-Status 1, wenn Nummern ohne Nachweis sind.</translation>
    </message>
    <message>
        <source>void: why the serials were spoiled, for the record.</source>
        <translation>void: warum die Seriennummern verdorben sind, für das Protokoll.</translation>
    </message>
    <message>
        <source>--%1 goes with the %2 command</source>
        <translation>--%1 gehört zum Befehl %2</translation>
    </message>
    <message>
        <source>--summary accounts for the whole series, without --serial or --csv</source>
        <translation>--summary weist die ganze Serie nach, ohne --serial oder --csv</translation>
    </message>
    <message>
        <source>tallyforge: numbers of the series on no record: %1 (%2 in all)</source>
        <translation>tallyforge: Nummern der Serie ohne Eintrag: %1 (%2 insgesamt)</translation>
    </message>
    <message>
        <source>void needs the first serial (and the last, for more than one)</source>
        <translation>void braucht die erste Seriennummer (und die letzte, für mehr als eine)</translation>
    </message>
    <message>
        <source>%1 (--force voids them all the same)</source>
        <translation>%1 (--force erklärt sie trotzdem für ungültig)</translation>
    </message>
    <message>
        <source>Void: %1</source>
        <translation>Ungültig: %1</translation>
    </message>
    <message>
        <source>Void: %1 to %2</source>
        <translation>Ungültig: %1 bis %2</translation>
    </message>
    <message>
        <source>--letters takes 0 to %1 letters, not %2</source>
        <translation>--letters erwartet 0 bis %1 Buchstaben, nicht %2</translation>
    </message>
    <message>
        <source>print: a letter series of this many letters (0 to 4) before the digits, AA0000 to ZZ9999 with 2 letters and 4 digits (default: [SN] Letters in the settings file).</source>
        <translation>print: eine Buchstabenserie mit so vielen Buchstaben (0 bis 4) vor den Ziffern, AA0000 bis ZZ9999 bei 2 Buchstaben und 4 Ziffern (Vorgabe: [SN] Letters in der Einstellungsdatei).</translation>
    </message>
    <message>
        <source>print: books of this many tickets, for {book} and {inbook} in items (0: none; default: [Book] Size in the settings file).</source>
        <translation>print: Blöcke mit so vielen Tickets, für {book} und {inbook} in Elementen (0: keine; Vorgabe: [Book] Size in der Einstellungsdatei).</translation>
    </message>
    <message>
        <source>--book-size takes 0 (no books) or more tickets, not %1</source>
        <translation>--book-size erwartet 0 (keine Blöcke) oder mehr Tickets, nicht %1</translation>
    </message>
    <message>
        <source>print: fill {data:Column} in items from this CSV file, one row a serial (default: [Data] File in the settings file).</source>
        <translation>print: {data:Spalte} in Elementen aus dieser CSV-Datei füllen, eine Zeile je Seriennummer (Vorgabe: [Data] File in der Einstellungsdatei).</translation>
    </message>
    <message>
        <source>FILE.csv</source>
        <translation>DATEI.csv</translation>
    </message>
    <message>
        <source>--data goes with the print command: a reprint takes its rows from the data its serials were printed from</source>
        <translation>--data gehört zum Befehl print: Ein Nachdruck nimmt seine Zeilen aus den Daten, aus denen seine Seriennummern gedruckt wurden</translation>
    </message>
    <message>
        <source>--data takes the CSV file of the run&apos;s rows</source>
        <translation>--data erwartet die CSV-Datei mit den Zeilen des Laufs</translation>
    </message>
</context>
<context>
    <name>CupsJob</name>
    <message>
        <source>The print queue %1 refused the job: %2</source>
        <translation>Die Druckwarteschlange %1 hat den Auftrag abgelehnt: %2</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>&amp;Give Up</source>
        <translation>&amp;Aufgeben</translation>
    </message>
    <message>
        <source>Waiting for %1...</source>
        <translation>Warten auf %1...</translation>
    </message>
</context>
<context>
    <name>InchesBox</name>
    <message>
        <source> in</source>
        <translation> in</translation>
    </message>
</context>
<context>
    <name>PdfTemplate</name>
    <message>
        <source>The template %1 cannot be read: %2</source>
        <translation>Die Vorlage %1 ist nicht lesbar: %2</translation>
    </message>
    <message>
        <source>The template %1 is encrypted; save it without a password</source>
        <translation>Die Vorlage %1 ist verschlüsselt; bitte ohne Passwort speichern</translation>
    </message>
    <message>
        <source>The template %1 has no pages</source>
        <translation>Die Vorlage %1 hat keine Seiten</translation>
    </message>
    <message>
        <source>The template %1 has no page %2 (pages: %3)</source>
        <translation>Die Vorlage %1 hat keine Seite %2 (Seiten: %3)</translation>
    </message>
    <message>
        <source>The template %1 has an empty page %2</source>
        <translation>Die Vorlage %1 hat eine leere Seite %2</translation>
    </message>
    <message>
        <source>The template %1 is not a readable PDF: %2</source>
        <translation>Die Vorlage %1 ist kein lesbares PDF: %2</translation>
    </message>
    <message>
        <source>The template %1 cannot be shown</source>
        <translation>Die Vorlage %1 kann nicht angezeigt werden</translation>
    </message>
    <message>
        <source>The template %1 is damaged: %2</source>
        <translation>Die Vorlage %1 ist beschädigt: %2</translation>
    </message>
    <message>
        <source>Cannot place the template under the document: %1</source>
        <translation>Die Vorlage kann nicht unter das Dokument gelegt werden: %1</translation>
    </message>
</context>
<context>
    <name>Preflight</name>
    <message>
        <source>%1 does not fit on the printable area of the page</source>
        <translation>%1 passt nicht in den bedruckbaren Bereich der Seite</translation>
    </message>
    <message>
        <source>The run passes 2147483647 and goes on from -2147483648</source>
        <translation>Die Folge überschreitet 2147483647 und geht bei -2147483648 weiter</translation>
    </message>
    <message>
        <source>The numbers change width within the run (%1 to %2)</source>
        <translation>Die Nummern ändern ihre Breite innerhalb der Folge (%1 bis %2)</translation>
    </message>
    <message>
        <source>%1 job %2</source>
        <translation>%1 Auftrag %2</translation>
    </message>
    <message>
        <source>Serials %1 to %2 were printed already by the run of %3 (%4 on %5, %6)</source>
        <translation>Die Seriennummern %1 bis %2 wurden schon vom Lauf vom %3 gedruckt (%4 auf %5, %6)</translation>
    </message>
    <message>
        <source>The tickets overlap: the gaps between them are negative (%1 in across, %2 in down)</source>
        <translation>Die Tickets überlappen sich: die Abstände zwischen ihnen sind negativ (%1 in waagerecht, %2 in senkrecht)</translation>
    </message>
    <message>
        <source>Ticket %1 of the sheet (%2 x %3 in at %4, %5 in) does not fit on the printable area of the page (%6 x %7 in)</source>
        <translation>Ticket %1 des Bogens (%2 x %3 in bei %4, %5 in) passt nicht in den bedruckbaren Bereich der Seite (%6 x %7 in)</translation>
    </message>
    <message>
        <source>%1 at %2, %3 in does not fit on its ticket (%4 x %5 in)</source>
        <translation>%1 bei %2, %3 in passt nicht auf sein Ticket (%4 x %5 in)</translation>
    </message>
    <message>
        <source>Item %1 (%2 x %3 in at %4, %5 in)</source>
        <translation>Element %1 (%2 x %3 in bei %4, %5 in)</translation>
    </message>
    <message>
        <source>%1 does not fit on its ticket (%2 x %3 in)</source>
        <translation>%1 passt nicht auf sein Ticket (%2 x %3 in)</translation>
    </message>
    <message>
        <source>Ticket %1 of the sheet (%2 x %3 in at %4, %5 in from the paper&apos;s corner) does not fit on the printable area of the page (%6 x %7 in at %8, %9 in)</source>
        <translation>Ticket %1 des Bogens (%2 x %3 in bei %4, %5 in ab der Papierecke) passt nicht in den bedruckbaren Bereich der Seite (%6 x %7 in bei %8, %9 in)</translation>
    </message>
    <message>
        <source>Cut marks fall off the printable area of the page (%1 x %2 in at %3, %4 in from the paper&apos;s corner): those outside it do not print</source>
        <translation>Schnittmarken liegen außerhalb des bedruckbaren Bereichs der Seite (%1 x %2 in bei %3, %4 in ab der Papierecke): die außerhalb werden nicht gedruckt</translation>
    </message>
    <message>
        <source>The piles are not whole books: a pile of %1 sheets from %2 against books of %3 from %4</source>
        <translation>Die Stapel sind keine ganzen Blöcke: ein Stapel von %1 Bögen ab %2 gegen Blöcke zu %3 ab %4</translation>
    </message>
    <message>
        <source>the data file %1 has no column &apos;%2&apos;</source>
        <translation>die Datendatei %1 hat keine Spalte „%2“</translation>
    </message>
    <message>
        <source>Serial %1 has no row in the data file %2, which has none</source>
        <translation>Seriennummer %1 hat keine Zeile in der Datendatei %2, die keine hat</translation>
    </message>
    <message>
        <source>Serial %1 has no row in the data file %2, whose rows are numbers %3 to %4</source>
        <translation>Seriennummer %1 hat keine Zeile in der Datendatei %2, deren Zeilen die Nummern %3 bis %4 sind</translation>
    </message>
    <message>
        <source>There are %1 part names for %2 copies of each sheet</source>
        <translation>Es gibt %1 Teilnamen für %2 Kopien jedes Bogens</translation>
    </message>
</context>
<context>
    <name>RegularFile</name>
    <message>
        <source>Cannot open file %1</source>
        <translation>Die Datei %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Die Datei %1 kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>ein Gerät</translation>
    </message>
    <message>
        <source>a pipe</source>
        <translation>eine Pipe</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ein Socket</translation>
    </message>
    <message>
        <source>something else</source>
        <translation>etwas anderes</translation>
    </message>
    <message>
        <source>Cannot open file %1: it is %2, not a regular file</source>
        <translation>Die Datei %1 kann nicht geöffnet werden: Sie ist %2, keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>Cannot create file %1: it is %2, not a regular file</source>
        <translation>Die Datei %1 kann nicht erstellt werden: Sie ist %2, keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>Cannot create file %1: it is a symbolic link to nothing</source>
        <translation>Die Datei %1 kann nicht erstellt werden: Sie ist eine symbolische Verknüpfung, die ins Leere zeigt</translation>
    </message>
    <message>
        <source>Cannot create file %1: it is a symbolic link to %2, not to a regular file</source>
        <translation>Die Datei %1 kann nicht erstellt werden: Sie ist eine symbolische Verknüpfung auf %2, nicht auf eine gewöhnliche Datei</translation>
    </message>
</context>
<context>
    <name>SerialDrawing</name>
    <message>
        <source>Item %1: %2</source>
        <translation>Element %1: %2</translation>
    </message>
</context>
<context>
    <name>SeriesSummary</name>
    <message>
        <source>Void</source>
        <translation>Ungültig</translation>
    </message>
    <message>
        <source>Printed</source>
        <translation>Gedruckt</translation>
    </message>
    <message>
        <source>Sent, not yet confirmed</source>
        <translation>Gesendet, noch nicht bestätigt</translation>
    </message>
    <message>
        <source>Held by stopped runs</source>
        <translation>Von abgebrochenen Läufen gehalten</translation>
    </message>
    <message>
        <source>Given back</source>
        <translation>Zurückgegeben</translation>
    </message>
    <message>
        <source>Skipped by set-next</source>
        <translation>Durch set-next übersprungen</translation>
    </message>
    <message>
        <source>Unaccounted</source>
        <translation>Ohne Nachweis</translation>
    </message>
    <message>
        <source>No numbers taken yet</source>
        <translation>Noch keine Nummern vergeben</translation>
    </message>
    <message>
        <source>Numbers %1</source>
        <translation>Nummern %1</translation>
    </message>
    <message>
        <source>Reprinted (tickets)</source>
        <translation>Nachgedruckt (Tickets)</translation>
    </message>
    <message>
        <source>Numbers %1: printed %2, reprinted %3 tickets, void %4, given back %5, held by stopped runs %6, sent %7, skipped %8, unaccounted %9</source>
        <translation>Nummern %1: gedruckt %2, nachgedruckt %3 Tickets, ungültig %4, zurückgegeben %5, von abgebrochenen Läufen gehalten %6, gesendet %7, übersprungen %8, ohne Nachweis %9</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>The printer %1 chosen in Print Setup is not installed</source>
        <translation>Der in der Druckereinrichtung gewählte Drucker %1 ist nicht installiert</translation>
    </message>
    <message>
        <source>The print server %1 cannot be reached for the printer %2 chosen in Print Setup</source>
        <translation>Der Druckserver %1 ist für den in der Druckereinrichtung gewählten Drucker %2 nicht erreichbar</translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Made by the Tallyforge developers</source>
        <translation>Erstellt von den Tallyforge-Entwicklern</translation>
    </message>
    <message>
        <source>Website:</source>
        <translation>Website:</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>No version information found</source>
        <translation>Keine Versionsinformationen gefunden</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>TCalibrationDialog</name>
    <message>
        <source>Calibrate Printer</source>
        <translation>Drucker kalibrieren</translation>
    </message>
    <message>
        <source>Position %1</source>
        <translation>Position %1</translation>
    </message>
    <message>
        <source>%1 in, %2 in</source>
        <translation>%1 in, %2 in</translation>
    </message>
    <message>
        <source>Offset (right, down)</source>
        <translation>Versatz (rechts, unten)</translation>
    </message>
    <message>
        <source>Print on this printer without calibration</source>
        <translation>Auf diesem Drucker ohne Kalibrierung drucken</translation>
    </message>
    <message>
        <source>Printer: %1

Print File &gt; Print Calibration Sheet on this printer. With a ruler, measure the centre of each crosshair from the paper&apos;s left edge and from its top edge, in inches.</source>
        <translation>Drucker: %1

Drucken Sie auf diesem Drucker Datei &gt; Kalibrierblatt drucken. Messen Sie mit einem Lineal die Mitte jedes Fadenkreuzes vom linken und vom oberen Papierrand, in Zoll.</translation>
    </message>
    <message>
        <source>Meant to be at (left, top)</source>
        <translation>Soll (links, oben)</translation>
    </message>
    <message>
        <source>From left edge</source>
        <translation>Vom linken Rand</translation>
    </message>
    <message>
        <source>From top edge</source>
        <translation>Vom oberen Rand</translation>
    </message>
</context>
<context>
    <name>TCustomPreview</name>
    <message>
        <source>Page %d of %d</source>
        <translation>Seite %d von %d</translation>
    </message>
    <message>
        <source>Whole page (%d%%)</source>
        <translation>Ganze Seite (%d%%)</translation>
    </message>
    <message>
        <source>Page width (%d%%)</source>
        <translation>Seitenbreite (%d%%)</translation>
    </message>
    <message>
        <source>Sheet %d of %d</source>
        <translation>Bogen %d von %d</translation>
    </message>
</context>
<context>
    <name>TCustomPrintJob</name>
    <message>
        <source>One or more margins are set outside the printable area of the page.</source>
        <translation>Mindestens ein Rand liegt außerhalb des druckbaren Bereichs der Seite.</translation>
    </message>
    <message>
        <source>Do you want to fix them?</source>
        <translation>Sollen die Ränder korrigiert werden?</translation>
    </message>
    <message>
        <source>There is no printer installed</source>
        <translation>Es ist kein Drucker installiert</translation>
    </message>
    <message>
        <source>There is no print dialog without a window</source>
        <translation>Ohne Fenster gibt es keinen Druckdialog</translation>
    </message>
    <message>
        <source>There is no printer set-up dialog without a window</source>
        <translation>Ohne Fenster gibt es keine Druckereinrichtung</translation>
    </message>
</context>
<context>
    <name>TDataDialog</name>
    <message>
        <source>Data</source>
        <translation>Daten</translation>
    </message>
    <message>
        <source>No data file</source>
        <translation>Keine Datendatei</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>Durc&amp;hsuchen...</translation>
    </message>
    <message>
        <source>&amp;File:</source>
        <translation>&amp;Datei:</translation>
    </message>
    <message>
        <source>First row&apos;s &amp;number:</source>
        <translation>&amp;Nummer der ersten Zeile:</translation>
    </message>
    <message>
        <source>No data file: {data:Column} in items stays as typed.</source>
        <translation>Keine Datendatei: {data:Spalte} in Elementen bleibt, wie eingegeben.</translation>
    </message>
    <message>
        <source>Cannot be used: %1</source>
        <translation>Nicht verwendbar: %1</translation>
    </message>
    <message>
        <source>Columns %1; no rows.</source>
        <translation>Spalten %1; keine Zeilen.</translation>
    </message>
    <message>
        <source>Columns %1; %2 rows, for numbers %3 to %4.</source>
        <translation>Spalten %1; %2 Zeilen, für die Nummern %3 bis %4.</translation>
    </message>
    <message>
        <source>CSV files (*.csv);;All files (*)</source>
        <translation>CSV-Dateien (*.csv);;Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>TDataTable</name>
    <message>
        <source>The data file %1 is not a readable CSV file: line %2 %3</source>
        <translation>Die Datendatei %1 ist keine lesbare CSV-Datei: Zeile %2 %3</translation>
    </message>
    <message>
        <source>The data file %1 does not exist</source>
        <translation>Die Datendatei %1 existiert nicht</translation>
    </message>
    <message>
        <source>is not UTF-8 text</source>
        <translation>ist kein UTF-8-Text</translation>
    </message>
    <message>
        <source>opens a quoted field that never closes</source>
        <translation>öffnet ein Feld in Anführungszeichen, das nie geschlossen wird</translation>
    </message>
    <message>
        <source>has text after a closing quote</source>
        <translation>hat Text nach einem schließenden Anführungszeichen</translation>
    </message>
    <message>
        <source>The data file %1 has no header row</source>
        <translation>Die Datendatei %1 hat keine Kopfzeile</translation>
    </message>
    <message>
        <source>names the column &apos;%1&apos; twice</source>
        <translation>nennt die Spalte „%1“ zweimal</translation>
    </message>
    <message>
        <source>has %1 fields, the header %2</source>
        <translation>hat %1 Felder, die Kopfzeile %2</translation>
    </message>
</context>
<context>
    <name>TFileLock</name>
    <message>
        <source>The file %1 is in use by another program</source>
        <translation>Die Datei %1 wird von einem anderen Programm verwendet</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Die Datei %1 kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>Gave up waiting: %1</source>
        <translation>Warten aufgegeben: %1</translation>
    </message>
</context>
<context>
    <name>TFontDialog</name>
    <message>
        <source>Black</source>
        <translation>Schwarz</translation>
    </message>
    <message>
        <source>Maroon</source>
        <translation>Kastanienbraun</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Olive</source>
        <translation>Olivgrün</translation>
    </message>
    <message>
        <source>Navy</source>
        <translation>Marineblau</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Violett</translation>
    </message>
    <message>
        <source>Teal</source>
        <translation>Blaugrün</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Grau</translation>
    </message>
    <message>
        <source>Silver</source>
        <translation>Silber</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>Lime</source>
        <translation>Hellgrün</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Gelb</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Fuchsia</source>
        <translation>Magenta</translation>
    </message>
    <message>
        <source>Aqua</source>
        <translation>Türkis</translation>
    </message>
    <message>
        <source>White</source>
        <translation>Weiß</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Schriftart</translation>
    </message>
    <message>
        <source>&amp;Color:</source>
        <translation>&amp;Farbe:</translation>
    </message>
    <message>
        <source>%1 is drawn with %2</source>
        <translation>%1 wird mit %2 dargestellt</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Benutzerdefiniert</translation>
    </message>
</context>
<context>
    <name>TJournal</name>
    <message>
        <source>The journal %1 is not one this program writes: nothing is added to it until it is fixed</source>
        <translation>Das Protokoll %1 stammt nicht von diesem Programm: Es wird nichts angefügt, bis es berichtigt ist</translation>
    </message>
</context>
<context>
    <name>TLoginDialog</name>
    <message>
        <source>The print server %1 asks for a login.</source>
        <translation>Der Druckserver %1 verlangt eine Anmeldung.</translation>
    </message>
    <message>
        <source>The queue %1 asks for a login.</source>
        <translation>Die Warteschlange %1 verlangt eine Anmeldung.</translation>
    </message>
    <message>
        <source>The password was not accepted.</source>
        <translation>Das Kennwort wurde nicht angenommen.</translation>
    </message>
    <message>
        <source>User:</source>
        <translation>Benutzer:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Kennwort:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>TNumberFormatDialog</name>
    <message>
        <source>Number Format</source>
        <translation>Zahlenformat</translation>
    </message>
    <message>
        <source>as it is</source>
        <translation>unverändert</translation>
    </message>
    <message>
        <source>&amp;Digits (padded with zeros):</source>
        <translation>&amp;Stellen (mit Nullen aufgefüllt):</translation>
    </message>
    <message>
        <source>Example:</source>
        <translation>Beispiel:</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keines</translation>
    </message>
    <message>
        <source>Luhn (ISO/IEC 7812)</source>
        <translation>Luhn (ISO/IEC 7812)</translation>
    </message>
    <message>
        <source>Mod 10 (weights 3, 1)</source>
        <translation>Modulo 10 (Gewichte 3, 1)</translation>
    </message>
    <message>
        <source>Mod 11 (X for 10)</source>
        <translation>Modulo 11 (X für 10)</translation>
    </message>
    <message>
        <source>Mod 7</source>
        <translation>Modulo 7</translation>
    </message>
    <message>
        <source>&amp;Step from one serial to the next:</source>
        <translation>Sch&amp;rittweite von Nummer zu Nummer:</translation>
    </message>
    <message>
        <source>&amp;Check character:</source>
        <translation>&amp;Prüfzeichen:</translation>
    </message>
    <message>
        <source>%1, %2, ...</source>
        <translation>%1, %2, ...</translation>
    </message>
    <message>
        <source>Printed between the number and its check character, such as a hyphen; empty: nothing</source>
        <translation>Wird zwischen der Nummer und ihrem Prüfzeichen gedruckt, etwa ein Bindestrich; leer: nichts</translation>
    </message>
    <message>
        <source>Letters before the digits: with 2 letters and 4 digits the series runs AA0000 to AA9999, AB0000 ... ZZ9999</source>
        <translation>Buchstaben vor den Ziffern: bei 2 Buchstaben und 4 Ziffern läuft die Serie AA0000 bis AA9999, AB0000 ... ZZ9999</translation>
    </message>
    <message>
        <source>Printed between the letters and the digits, such as a hyphen; empty: nothing</source>
        <translation>Wird zwischen den Buchstaben und den Ziffern gedruckt, etwa ein Bindestrich; leer: nichts</translation>
    </message>
    <message>
        <source>Check sepa&amp;rator:</source>
        <translation>Prüfzeichen-&amp;Trenner:</translation>
    </message>
    <message>
        <source>&amp;Letters before the digits:</source>
        <translation>&amp;Buchstaben vor den Ziffern:</translation>
    </message>
    <message>
        <source>Letter separa&amp;tor:</source>
        <translation>Buchstaben-Tre&amp;nner:</translation>
    </message>
</context>
<context>
    <name>TOutputFile</name>
    <message>
        <source>Cannot create file %1: %2</source>
        <translation>Die Datei %1 kann nicht erstellt werden: %2</translation>
    </message>
    <message>
        <source>The file %1 exists already</source>
        <translation>Die Datei %1 existiert bereits</translation>
    </message>
    <message>
        <source>Cannot create file in %1</source>
        <translation>In %1 kann keine Datei erstellt werden</translation>
    </message>
    <message>
        <source>Cannot write file %1: %2</source>
        <translation>Die Datei %1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>TPrintLog</name>
    <message>
        <source>Print</source>
        <translation>Druck</translation>
    </message>
    <message>
        <source>Print (counter kept)</source>
        <translation>Druck (Zähler bleibt)</translation>
    </message>
    <message>
        <source>Reprint</source>
        <translation>Nachdruck</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Abgeschlossen</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Interrupted</source>
        <translation>Unterbrochen</translation>
    </message>
    <message>
        <source>Print Log</source>
        <translation>Druckprotokoll</translation>
    </message>
    <message>
        <source>Which run printed serial:</source>
        <translation>Welcher Lauf druckte die Seriennummer:</translation>
    </message>
    <message>
        <source>Started</source>
        <translation>Begonnen</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>First</source>
        <translation>Erste</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>Letzte</translation>
    </message>
    <message>
        <source>Prefix</source>
        <translation>Präfix</translation>
    </message>
    <message>
        <source>Suffix</source>
        <translation>Suffix</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>Drucker</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Rechner</translation>
    </message>
    <message>
        <source>&amp;Reprint...</source>
        <translation>&amp;Nachdrucken...</translation>
    </message>
    <message>
        <source>Re&amp;fresh</source>
        <translation>A&amp;ktualisieren</translation>
    </message>
    <message>
        <source>job %1</source>
        <translation>Auftrag %1</translation>
    </message>
    <message>
        <source>Calibration sheet</source>
        <translation>Kalibrierblatt</translation>
    </message>
    <message>
        <source>Not known</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Aborted by the printer</source>
        <translation>Vom Drucker abgebrochen</translation>
    </message>
    <message>
        <source>Rest of a run</source>
        <translation>Rest eines Laufs</translation>
    </message>
    <message>
        <source>Print the Re&amp;st</source>
        <translation>&amp;Rest drucken</translation>
    </message>
    <message>
        <source>Prints the sheets a stopped run did not, as they would have come out</source>
        <translation>Druckt die Bögen, die ein abgebrochener Lauf nicht gedruckt hat, so wie sie gekommen wären</translation>
    </message>
    <message>
        <source>a serial as printed, or its number</source>
        <translation>eine Seriennummer wie gedruckt, oder ihre Zahl</translation>
    </message>
    <message>
        <source>Tickets</source>
        <translation>Tickets</translation>
    </message>
    <message>
        <source>Sheets</source>
        <translation>Bögen</translation>
    </message>
    <message>
        <source>Void</source>
        <translation>Ungültig</translation>
    </message>
    <message>
        <source>Cancelled at the printer</source>
        <translation>Am Drucker abgebrochen</translation>
    </message>
    <message>
        <source>Sent, not yet printed</source>
        <translation>Gesendet, noch nicht gedruckt</translation>
    </message>
    <message>
        <source>&amp;Void...</source>
        <translation>&amp;Ungültig...</translation>
    </message>
    <message>
        <source>Records spoiled serials as void, with the reason</source>
        <translation>Trägt verdorbene Seriennummern mit dem Grund als ungültig ein</translation>
    </message>
</context>
<context>
    <name>TPrintRestDialog</name>
    <message>
        <source>Print the Rest</source>
        <translation>Rest drucken</translation>
    </message>
    <message>
        <source>&amp;Printer:</source>
        <translation>&amp;Drucker:</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
</context>
<context>
    <name>TPrintRoom</name>
    <message>
        <source>%1: this calibration sheet would be recorded nowhere</source>
        <translation>%1: Dieser Kalibrierbogen würde nirgends vermerkt</translation>
    </message>
    <message>
        <source>%1 serials are more than one run can print (at most %2)</source>
        <translation>%1 Seriennummern sind mehr, als ein Lauf drucken kann (höchstens %2)</translation>
    </message>
    <message>
        <source>A serial number lies from %1 to %2, not at %3</source>
        <translation>Eine Seriennummer liegt zwischen %1 und %2, nicht bei %3</translation>
    </message>
    <message>
        <source>Numbers are padded to a width from %1 to %2 digits, not %3</source>
        <translation>Nummern werden auf %1 bis %2 Stellen aufgefüllt, nicht %3</translation>
    </message>
    <message>
        <source>The step between serials must be from %1 to %2, not %3</source>
        <translation>Die Schrittweite zwischen Seriennummern muss zwischen %1 und %2 liegen, nicht %3</translation>
    </message>
    <message>
        <source>A sheet has 1 to %1 columns and rows, not %2</source>
        <translation>Ein Bogen hat 1 bis %1 Spalten und Zeilen, nicht %2</translation>
    </message>
    <message>
        <source>A sheet prints 1 to %1 times in a row, not %2</source>
        <translation>Ein Bogen wird 1- bis %1-mal hintereinander gedruckt, nicht %2</translation>
    </message>
    <message>
        <source>A pile holds 0 (the whole run) to %1 sheets, not %2</source>
        <translation>Ein Stapel fasst 0 (den ganzen Lauf) bis %1 Bogen, nicht %2</translation>
    </message>
    <message>
        <source>The first ticket&apos;s place on a sheet of %1 tickets is from 1 to %1, not %2</source>
        <translation>Der Platz des ersten Tickets auf einem Bogen mit %1 Tickets liegt zwischen 1 und %1, nicht %2</translation>
    </message>
    <message>
        <source>A template&apos;s pages are counted from 1, not %1</source>
        <translation>Die Seiten einer Vorlage werden ab 1 gezählt, nicht %1</translation>
    </message>
    <message>
        <source>Series &apos;%1&apos; continues at %2; this run sets it to continue at %3</source>
        <translation>Die Serie „%1“ fährt bei %2 fort; dieser Lauf setzt sie auf %3</translation>
    </message>
    <message>
        <source>, though serials %1 to %2 were handed out already</source>
        <translation>, obwohl die Seriennummern %1 bis %2 schon vergeben sind</translation>
    </message>
    <message>
        <source>Set series &apos;%1&apos; to continue at %2?</source>
        <translation>Soll die Serie „%1“ bei %2 fortfahren?</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 bis %2</translation>
    </message>
    <message>
        <source>The last serial must not be below the first</source>
        <translation>Die letzte Seriennummer darf nicht unter der ersten liegen</translation>
    </message>
    <message>
        <source>The page count must be 1 or more, not %1</source>
        <translation>Die Seitenzahl muss mindestens 1 sein, nicht %1</translation>
    </message>
    <message>
        <source>%1 pages are more than one run can print (at most %2)</source>
        <translation>%1 Seiten sind mehr, als ein Lauf drucken kann (höchstens %2)</translation>
    </message>
    <message>
        <source>%1: which of these serials were printed is not known, and this reprint would be recorded nowhere</source>
        <translation>%1: Welche dieser Seriennummern gedruckt wurden, ist nicht bekannt, und dieser Nachdruck würde nirgends vermerkt</translation>
    </message>
    <message>
        <source>%1: this run&apos;s serials would be recorded nowhere</source>
        <translation>%1: Die Seriennummern dieses Laufs würden nirgends vermerkt</translation>
    </message>
    <message>
        <source>Reprint anyway?</source>
        <translation>Trotzdem nachdrucken?</translation>
    </message>
    <message>
        <source>Print anyway?</source>
        <translation>Trotzdem drucken?</translation>
    </message>
    <message>
        <source>The last number in %1 cannot be read: &apos;%2&apos;</source>
        <translation>Die letzte Nummer in %1 ist nicht lesbar: „%2“</translation>
    </message>
    <message>
        <source>Another Tallyforge printed up to %1</source>
        <translation>Ein anderes Tallyforge hat bis %1 gedruckt</translation>
    </message>
    <message>
        <source>Continue from %1?</source>
        <translation>Ab %1 fortfahren?</translation>
    </message>
    <message>
        <source>This run sets the last number back from %1 to %2, over serials printed already: the next run would print them again</source>
        <translation>Dieser Lauf setzt die letzte Nummer von %1 auf %2 zurück, über schon gedruckte Seriennummern: Der nächste Lauf würde sie erneut drucken</translation>
    </message>
    <message>
        <source>Set it back?</source>
        <translation>Trotzdem zurücksetzen?</translation>
    </message>
    <message>
        <source>A reprint ends at 2147483647</source>
        <translation>Ein Nachdruck endet bei 2147483647</translation>
    </message>
    <message>
        <source>Serials %1 were never printed</source>
        <translation>Die Seriennummern %1 wurden nie gedruckt</translation>
    </message>
    <message>
        <source>Reprint them anyway?</source>
        <translation>Trotzdem nachdrucken?</translation>
    </message>
    <message>
        <source>Print them again?</source>
        <translation>Erneut drucken?</translation>
    </message>
    <message>
        <source>%1 holds serials %2 to %3, printed on %4</source>
        <translation>%1 enthält die Seriennummern %2 bis %3, gedruckt am %4</translation>
    </message>
    <message>
        <source>Replace it?</source>
        <translation>Ersetzen?</translation>
    </message>
    <message>
        <source>This reprint prints %1 pages, serials %2 to %3</source>
        <translation>Dieser Nachdruck druckt %1 Seiten, Seriennummern %2 bis %3</translation>
    </message>
    <message>
        <source>This run prints %1 pages, serials %2 to %3</source>
        <translation>Dieser Lauf druckt %1 Seiten, Seriennummern %2 bis %3</translation>
    </message>
    <message>
        <source>Reprint them all?</source>
        <translation>Alle nachdrucken?</translation>
    </message>
    <message>
        <source>Print them all?</source>
        <translation>Alle drucken?</translation>
    </message>
    <message>
        <source>A position of %1 in is more than a page allows (%2 in at most)</source>
        <translation>Eine Position von %1 in ist mehr, als eine Seite zulässt (höchstens %2 in)</translation>
    </message>
    <message>
        <source>A font of %1 pt is not one a page can take (%2 to %3 pt)</source>
        <translation>Eine Schrift von %1 pt passt auf keine Seite (%2 bis %3 pt)</translation>
    </message>
    <message>
        <source>%1 sheets are more than one run can print (at most %2)</source>
        <translation>%1 Bögen sind mehr, als ein Lauf drucken kann (höchstens %2)</translation>
    </message>
    <message>
        <source>%1 serials %2 apart span more numbers than one run can take (at most %3)</source>
        <translation>%1 Seriennummern im Abstand %2 umfassen mehr Nummern, als ein Lauf belegen kann (höchstens %3)</translation>
    </message>
    <message>
        <source>This run has no sheets left to print</source>
        <translation>Diesem Lauf fehlen keine Bögen</translation>
    </message>
    <message>
        <source>Page %1 of the template %2 (%3 x %4 in) is larger than the paper (%5 x %6 in)</source>
        <translation>Seite %1 der Vorlage %2 (%3 x %4 in) ist größer als das Papier (%5 x %6 in)</translation>
    </message>
    <message>
        <source>The template %1 has changed since these serials were printed on it</source>
        <translation>Die Vorlage %1 hat sich geändert, seit diese Seriennummern darauf gedruckt wurden</translation>
    </message>
    <message>
        <source>Reprint them on the changed artwork?</source>
        <translation>Auf der geänderten Vorlage nachdrucken?</translation>
    </message>
    <message>
        <source>%1; %2 were printed as another series</source>
        <translation>%1; %2 wurden als andere Serie gedruckt</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is neither a serial that a run printed nor a number</source>
        <translation>„%1“ ist weder eine Seriennummer, die ein Lauf gedruckt hat, noch eine Zahl</translation>
    </message>
    <message>
        <source>%1, serial %2 of the run of %3</source>
        <translation>%1, Seriennummer %2 des Laufs vom %3</translation>
    </message>
    <message>
        <source>%1 names more than one serial: %2; %3</source>
        <translation>%1 bezeichnet mehr als eine Seriennummer: %2; %3</translation>
    </message>
    <message>
        <source>Reprint from %1?</source>
        <translation>Ab %1 nachdrucken?</translation>
    </message>
    <message>
        <source>%1 is not a serial that any run printed; read as the number %2, it reprints as %3</source>
        <translation>%1 ist keine Seriennummer, die ein Lauf gedruckt hat; als Zahl %2 gelesen, wird sie als %3 nachgedruckt</translation>
    </message>
    <message>
        <source>Reprint it anyway?</source>
        <translation>Trotzdem nachdrucken?</translation>
    </message>
    <message>
        <source>The rest of this run prints %1 tickets on %2 sheets, of serials %3 to %4</source>
        <translation>Der Rest dieses Laufs druckt %1 Tickets auf %2 Bögen, von den Seriennummern %3 bis %4</translation>
    </message>
    <message>
        <source>This reprint prints %1 tickets on %2 sheets, serials %3 to %4</source>
        <translation>Dieser Nachdruck druckt %1 Tickets auf %2 Bögen, Seriennummern %3 bis %4</translation>
    </message>
    <message>
        <source>This run prints %1 tickets on %2 sheets, serials %3 to %4</source>
        <translation>Dieser Lauf druckt %1 Tickets auf %2 Bögen, Seriennummern %3 bis %4</translation>
    </message>
    <message>
        <source>The design these serials were printed with (%1) is not kept in %2: they would print as the settings say now</source>
        <translation>Das Design, mit dem diese Seriennummern gedruckt wurden (%1), ist in %2 nicht aufbewahrt: Sie würden so gedruckt, wie die Einstellungen jetzt lauten</translation>
    </message>
    <message>
        <source>Reprint them with today&apos;s design?</source>
        <translation>Mit dem heutigen Design nachdrucken?</translation>
    </message>
    <message>
        <source>Print the rest with today&apos;s design?</source>
        <translation>Den Rest mit dem heutigen Design drucken?</translation>
    </message>
    <message>
        <source>These serials were printed on another printable area: %1</source>
        <translation>Diese Seriennummern wurden auf einem anderen druckbaren Bereich gedruckt: %1</translation>
    </message>
    <message>
        <source>Print them on this printer all the same?</source>
        <translation>Trotzdem auf diesem Drucker drucken?</translation>
    </message>
    <message>
        <source>The rest of this run was printed meanwhile: no sheets are left to print</source>
        <translation>Der Rest dieses Laufs wurde inzwischen gedruckt: es fehlen keine Bögen mehr</translation>
    </message>
    <message>
        <source>The settings file holds %1, which this program does not know: nothing prints until it is changed</source>
        <translation>Die Einstellungsdatei enthält %1, das dieses Programm nicht kennt: Nichts wird gedruckt, bis es geändert ist</translation>
    </message>
    <message>
        <source>The print server could not say how many sheets of this run came out: the rest prints all that may not have, and some of them may have printed</source>
        <translation>Der Druckserver konnte nicht sagen, wie viele Bögen dieses Laufs gedruckt wurden: der Rest druckt alle, die womöglich fehlen, und einige davon sind vielleicht schon gedruckt</translation>
    </message>
    <message>
        <source>Print them all the same?</source>
        <translation>Trotzdem alle drucken?</translation>
    </message>
    <message>
        <source>%1 comes before %2: nothing to void</source>
        <translation>%1 kommt vor %2: nichts für ungültig zu erklären</translation>
    </message>
    <message>
        <source>Void them as read here?</source>
        <translation>So gelesen für ungültig erklären?</translation>
    </message>
    <message>
        <source>Serials %1 were never printed and lie past the last number %2: a void does not hold them back from the next print</source>
        <translation>Die Seriennummern %1 wurden nie gedruckt und liegen hinter der letzten Nummer %2: ein Ungültig-Eintrag hält sie nicht vom nächsten Druck zurück</translation>
    </message>
    <message>
        <source>Serials %1 were neither printed nor taken by any run</source>
        <translation>Die Seriennummern %1 wurden von keinem Lauf gedruckt oder belegt</translation>
    </message>
    <message>
        <source>Void them all the same?</source>
        <translation>Trotzdem für ungültig erklären?</translation>
    </message>
    <message>
        <source>Serials %1 to %2 lie outside the letter series, which numbers 0 to %3 (%4 to %5)</source>
        <translation>Die Seriennummern %1 bis %2 liegen außerhalb der Buchstabenserie, die 0 bis %3 nummeriert (%4 bis %5)</translation>
    </message>
    <message>
        <source>The data file %1 has changed since these serials were printed from it</source>
        <translation>Die Datendatei %1 hat sich geändert, seit diese Seriennummern aus ihr gedruckt wurden</translation>
    </message>
    <message>
        <source>Reprint them with the changed data?</source>
        <translation>Mit den geänderten Daten nachdrucken?</translation>
    </message>
    <message>
        <source>Print the rest with the changed data?</source>
        <translation>Den Rest mit den geänderten Daten drucken?</translation>
    </message>
</context>
<context>
    <name>TPrinter</name>
    <message>
        <source>Printer index out of range</source>
        <translation>Druckerindex außerhalb des gültigen Bereichs</translation>
    </message>
    <message>
        <source>Cannot change the printer while printing</source>
        <translation>Der Drucker kann während des Druckens nicht gewechselt werden</translation>
    </message>
    <message>
        <source>There is no printer installed</source>
        <translation>Es ist kein Drucker installiert</translation>
    </message>
    <message>
        <source>Printing is already in progress</source>
        <translation>Es wird bereits gedruckt</translation>
    </message>
    <message>
        <source>Cannot create folder %1</source>
        <translation>Der Ordner %1 kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Die Datei %1 kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>Printer is not printing</source>
        <translation>Der Drucker druckt gerade nicht</translation>
    </message>
    <message>
        <source>Cannot start a new page on %1</source>
        <translation>Auf %1 kann keine neue Seite begonnen werden</translation>
    </message>
    <message>
        <source>The print server did not confirm job %1 on %2 (%3); it may still print</source>
        <translation>Der Druckserver hat Auftrag %1 auf %2 nicht bestätigt (%3); er wird vielleicht trotzdem gedruckt</translation>
    </message>
    <message>
        <source>queue %1 asks for a login</source>
        <translation>Warteschlange %1 verlangt eine Anmeldung</translation>
    </message>
</context>
<context>
    <name>TPrinterSetupDialog</name>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>Printer Setup</source>
        <translation>Druckereinrichtung</translation>
    </message>
    <message>
        <source>&amp;Printer:</source>
        <translation>&amp;Drucker:</translation>
    </message>
    <message>
        <source>P&amp;aper:</source>
        <translation>&amp;Papier:</translation>
    </message>
    <message>
        <source>P&amp;ortrait</source>
        <translation>&amp;Hochformat</translation>
    </message>
    <message>
        <source>&amp;Landscape</source>
        <translation>&amp;Querformat</translation>
    </message>
    <message>
        <source>Orientation:</source>
        <translation>Ausrichtung:</translation>
    </message>
    <message>
        <source>PDF files go to</source>
        <translation>PDF-Dateien speichern in</translation>
    </message>
    <message>
        <source>the &amp;documents folder (%1)</source>
        <translation>dem Do&amp;kumentenordner (%1)</translation>
    </message>
    <message>
        <source>this &amp;folder, a new file for each run:</source>
        <translation>diesem &amp;Ordner, eine neue Datei je Druckvorgang:</translation>
    </message>
    <message>
        <source>this fil&amp;e:</source>
        <translation>dieser Dat&amp;ei:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Folder for PDF Files</source>
        <translation>Ordner für PDF-Dateien</translation>
    </message>
    <message>
        <source>PDF File</source>
        <translation>PDF-Datei</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF-Dateien (*.pdf)</translation>
    </message>
</context>
<context>
    <name>TReprintDialog</name>
    <message>
        <source>Reprint</source>
        <translation>Nachdruck</translation>
    </message>
    <message>
        <source>REPRINT</source>
        <translation>NACHDRUCK</translation>
    </message>
    <message>
        <source>&amp;First serial:</source>
        <translation>&amp;Erste Seriennummer:</translation>
    </message>
    <message>
        <source>&amp;Last serial:</source>
        <translation>&amp;Letzte Seriennummer:</translation>
    </message>
    <message>
        <source>&amp;Printer:</source>
        <translation>&amp;Drucker:</translation>
    </message>
    <message>
        <source>&amp;Mark:</source>
        <translation>&amp;Vermerk:</translation>
    </message>
    <message>
        <source>Type the first and the last serial</source>
        <translation>Geben Sie die erste und die letzte Seriennummer ein</translation>
    </message>
</context>
<context>
    <name>TRestClaim</name>
    <message>
        <source>Cannot create file %1: %2</source>
        <translation>Die Datei %1 kann nicht erstellt werden: %2</translation>
    </message>
    <message>
        <source>The rest of run %1 is being printed by another Tallyforge</source>
        <translation>Den Rest des Laufs %1 druckt gerade ein anderes Tallyforge</translation>
    </message>
    <message>
        <source>The rest of run %1 is being printed by %2 on %3 (process %4) since %5</source>
        <translation>Den Rest des Laufs %1 druckt gerade %2 auf %3 (Prozess %4) seit %5</translation>
    </message>
</context>
<context>
    <name>TSerialRun</name>
    <message>
        <source>The last number in %1 cannot be read: &apos;%2&apos;</source>
        <translation>Die letzte Nummer in %1 ist nicht lesbar: „%2“</translation>
    </message>
    <message>
        <source>%1 sheets are more than one run can print</source>
        <translation>%1 Bögen sind mehr, als ein Lauf drucken kann</translation>
    </message>
    <message>
        <source>%1 serials %2 apart span more numbers than one run can take</source>
        <translation>%1 Seriennummern im Abstand %2 umfassen mehr Nummern, als ein Lauf belegen kann</translation>
    </message>
</context>
<context>
    <name>TSeriesCounter</name>
    <message>
        <source>Cannot open file %1</source>
        <translation>Die Datei %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Die Datei %1 kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>The settings file %1 is in use by another program</source>
        <translation>Die Einstellungsdatei %1 wird von einem anderen Programm verwendet</translation>
    </message>
</context>
<context>
    <name>TSeriesStore</name>
    <message>
        <source>The series %1 needs a server (--series-server or [Series] Server)</source>
        <translation>Die Serie %1 braucht einen Server (--series-server oder [Series] Server)</translation>
    </message>
    <message>
        <source>A series server needs the series&apos; name (--series or [Series] Name)</source>
        <translation>Ein Serienserver braucht den Namen der Serie (--series oder [Series] Name)</translation>
    </message>
</context>
<context>
    <name>TSharedSeries</name>
    <message>
        <source>The series server %1 is not a connection address: %2</source>
        <translation>Der Serienserver %1 ist keine Verbindungsadresse: %2</translation>
    </message>
    <message>
        <source>series %1 on %2</source>
        <translation>Serie %1 auf %2</translation>
    </message>
    <message>
        <source>Series %1 on %2</source>
        <translation>Serie %1 auf %2</translation>
    </message>
    <message>
        <source>Cannot reach the series server %1: %2</source>
        <translation>Der Serienserver %1 ist nicht erreichbar: %2</translation>
    </message>
    <message>
        <source>Cannot create the series tables on %1: %2</source>
        <translation>Die Serientabellen auf %1 können nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>The series server %1 holds Tallyforge&apos;s tables in version %2, newer than this program knows (%3): use a newer Tallyforge</source>
        <translation>Der Serienserver %1 führt die Tallyforge-Tabellen in Version %2, neuer als dieses Programm kennt (%3): Bitte ein neueres Tallyforge verwenden</translation>
    </message>
    <message>
        <source>The series server %1 was lost: %2</source>
        <translation>Die Verbindung zum Serienserver %1 ist abgerissen: %2</translation>
    </message>
    <message>
        <source>The series server %1 refused: %2</source>
        <translation>Der Serienserver %1 hat abgelehnt: %2</translation>
    </message>
    <message>
        <source>%1; the run&apos;s record waits in %2 and is sent when the server is back</source>
        <translation>%1; der Eintrag des Laufs wartet in %2 und wird gesendet, sobald der Server wieder erreichbar ist</translation>
    </message>
    <message>
        <source>Serials %1 to %2 of series %3 were handed out already (--force sets it back all the same)</source>
        <translation>Die Seriennummern %1 bis %2 der Serie %3 wurden schon vergeben (--force setzt sie trotzdem zurück)</translation>
    </message>
    <message>
        <source>The series server %1 did not answer within %2 s</source>
        <translation>Der Serienserver %1 hat nicht innerhalb von %2 s geantwortet</translation>
    </message>
    <message>
        <source>%1; the run&apos;s record could not be kept in %2 either (%3): the series keeps serials %4 to %5 as taken by an interrupted run</source>
        <translation>%1; der Eintrag des Laufs konnte auch in %2 nicht abgelegt werden (%3): Die Serie führt die Seriennummern %4 bis %5 als von einem unterbrochenen Lauf vergeben</translation>
    </message>
    <message>
        <source>%1; the run&apos;s record could not be kept in %2 either (%3): the series keeps the run as interrupted</source>
        <translation>%1; der Eintrag des Laufs konnte auch in %2 nicht abgelegt werden (%3): Die Serie führt den Lauf als unterbrochen</translation>
    </message>
    <message>
        <source>Gave up waiting for the series server %1</source>
        <translation>Warten auf den Serienserver %1 aufgegeben</translation>
    </message>
</context>
<context>
    <name>TSheetLayoutDialog</name>
    <message>
        <source>Sheet Layout</source>
        <translation>Bogenlayout</translation>
    </message>
    <message>
        <source>fit the grid</source>
        <translation>passend zum Raster</translation>
    </message>
    <message>
        <source>Left to right, then down</source>
        <translation>Von links nach rechts, dann abwärts</translation>
    </message>
    <message>
        <source>Down, then across</source>
        <translation>Abwärts, dann nach rechts</translation>
    </message>
    <message>
        <source>Cut and stack</source>
        <translation>Schneiden und stapeln</translation>
    </message>
    <message>
        <source>the whole run</source>
        <translation>der ganze Lauf</translation>
    </message>
    <message>
        <source>Last sheet &amp;first (face-up tray)</source>
        <translation>Letzter Bogen &amp;zuerst (Ablage mit Druckseite oben)</translation>
    </message>
    <message>
        <source>C&amp;ut marks at the ticket corners</source>
        <translation>Schnittm&amp;arken an den Ticketecken</translation>
    </message>
    <message>
        <source>Tickets on a sheet</source>
        <translation>Tickets auf einem Bogen</translation>
    </message>
    <message>
        <source>&amp;Across:</source>
        <translation>&amp;Nebeneinander:</translation>
    </message>
    <message>
        <source>&amp;Down:</source>
        <translation>&amp;Untereinander:</translation>
    </message>
    <message>
        <source>&amp;Left:</source>
        <translation>&amp;Links:</translation>
    </message>
    <message>
        <source>&amp;Top:</source>
        <translation>&amp;Oben:</translation>
    </message>
    <message>
        <source>&amp;Width:</source>
        <translation>&amp;Breite:</translation>
    </message>
    <message>
        <source>&amp;Height:</source>
        <translation>&amp;Höhe:</translation>
    </message>
    <message>
        <source>&amp;Gap across:</source>
        <translation>Abstand &amp;quer:</translation>
    </message>
    <message>
        <source>Gap d&amp;own:</source>
        <translation>Abstand &amp;senkrecht:</translation>
    </message>
    <message>
        <source>Order</source>
        <translation>Reihenfolge</translation>
    </message>
    <message>
        <source>O&amp;rder:</source>
        <translation>&amp;Reihenfolge:</translation>
    </message>
    <message>
        <source>Sheets per &amp;pile:</source>
        <translation>Bogen je Sta&amp;pel:</translation>
    </message>
    <message>
        <source>First &amp;slot:</source>
        <translation>&amp;Erster Platz:</translation>
    </message>
    <message>
        <source>&amp;Copies:</source>
        <translation>&amp;Kopien:</translation>
    </message>
    <message>
        <source>From the left edge of the printer&apos;s printable area to the first ticket&apos;s left edge</source>
        <translation>Vom linken Rand des druckbaren Bereichs des Druckers bis zum linken Rand des ersten Tickets</translation>
    </message>
    <message>
        <source>From the top edge of the printer&apos;s printable area to the first ticket&apos;s top edge</source>
        <translation>Vom oberen Rand des druckbaren Bereichs des Druckers bis zum oberen Rand des ersten Tickets</translation>
    </message>
    <message>
        <source>One ticket&apos;s width; 0: the printable area&apos;s width, less Left and the gaps, shared by the tickets across</source>
        <translation>Breite eines Tickets; 0: die Breite des druckbaren Bereichs, abzüglich Links und der Abstände, geteilt durch die Tickets nebeneinander</translation>
    </message>
    <message>
        <source>One ticket&apos;s height; 0: the printable area&apos;s height, less Top and the gaps, shared by the tickets down</source>
        <translation>Höhe eines Tickets; 0: die Höhe des druckbaren Bereichs, abzüglich Oben und der Abstände, geteilt durch die Tickets untereinander</translation>
    </message>
    <message>
        <source>The paper&apos;s edges</source>
        <translation>Papierränder</translation>
    </message>
    <message>
        <source>The printable area</source>
        <translation>Druckbarer Bereich</translation>
    </message>
    <message>
        <source>What Left, Top and tickets of width or height 0 are measured from: from the paper&apos;s edges the grid and its cuts are the same on every printer</source>
        <translation>Wovon Links, Oben und Tickets der Breite oder Höhe 0 gemessen werden: von den Papierrändern aus sind das Raster und seine Schnitte auf jedem Drucker gleich</translation>
    </message>
    <message>
        <source>&amp;Measured from:</source>
        <translation>&amp;Gemessen von:</translation>
    </message>
    <message>
        <source>From the left edge of the paper to the first ticket&apos;s left edge</source>
        <translation>Vom linken Rand des Papiers bis zum linken Rand des ersten Tickets</translation>
    </message>
    <message>
        <source>From the top edge of the paper to the first ticket&apos;s top edge</source>
        <translation>Vom oberen Rand des Papiers bis zum oberen Rand des ersten Tickets</translation>
    </message>
    <message>
        <source>One ticket&apos;s width; 0: the paper&apos;s width, less Left and the gaps, shared by the tickets across</source>
        <translation>Breite eines Tickets; 0: die Breite des Papiers, abzüglich Links und der Abstände, geteilt durch die Tickets nebeneinander</translation>
    </message>
    <message>
        <source>One ticket&apos;s height; 0: the paper&apos;s height, less Top and the gaps, shared by the tickets down</source>
        <translation>Höhe eines Tickets; 0: die Höhe des Papiers, abzüglich Oben und der Abstände, geteilt durch die Tickets untereinander</translation>
    </message>
    <message>
        <source>The name of each copy of a sheet, | between them (Customer|Office|File): items show it as {part}, and the copy&apos;s number as {copy}</source>
        <translation>Der Name jeder Kopie eines Bogens, | dazwischen (Kunde|Büro|Ablage): Elemente zeigen ihn als {part}, die Nummer der Kopie als {copy}</translation>
    </message>
    <message>
        <source>no books</source>
        <translation>keine Blöcke</translation>
    </message>
    <message>
        <source>Tickets in each book: items show {book}, the number of a ticket&apos;s book, and {inbook}, the ticket&apos;s place in its book from 1 (0: no books)</source>
        <translation>Tickets je Block: Elemente zeigen {book}, die Nummer des Blocks eines Tickets, und {inbook}, den Platz des Tickets in seinem Block ab 1 (0: keine Blöcke)</translation>
    </message>
    <message>
        <source>The number that opens book 1: {inbook} is 1 there and every book&apos;s size later</source>
        <translation>Die Nummer, mit der Block 1 beginnt: {inbook} ist dort 1 und jeweils eine Blockgröße später wieder</translation>
    </message>
    <message>
        <source>Part &amp;names:</source>
        <translation>Namen der &amp;Teile:</translation>
    </message>
    <message>
        <source>Books</source>
        <translation>Blöcke</translation>
    </message>
    <message>
        <source>Tickets a &amp;book:</source>
        <translation>T&amp;ickets je Block:</translation>
    </message>
    <message>
        <source>Book 1 b&amp;egins at:</source>
        <translation>Block 1 beginnt &amp;mit:</translation>
    </message>
</context>
<context>
    <name>TTemplateDialog</name>
    <message>
        <source>Template</source>
        <translation>Vorlage</translation>
    </message>
    <message>
        <source>No template</source>
        <translation>Keine Vorlage</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>Durc&amp;hsuchen...</translation>
    </message>
    <message>
        <source>Each sheet, at the paper&apos;s corner</source>
        <translation>Jeder Bogen, an der Papierecke</translation>
    </message>
    <message>
        <source>Each ticket, at the ticket&apos;s corner</source>
        <translation>Jedes Ticket, an der Ticketecke</translation>
    </message>
    <message>
        <source>&amp;Print it under the numbers (off: pre-printed stock, shown in the preview only)</source>
        <translation>Unter die &amp;Nummern drucken (aus: vorgedrucktes Papier, nur in der Vorschau)</translation>
    </message>
    <message>
        <source>&amp;File:</source>
        <translation>&amp;Datei:</translation>
    </message>
    <message>
        <source>P&amp;age:</source>
        <translation>&amp;Seite:</translation>
    </message>
    <message>
        <source>&amp;Under:</source>
        <translation>&amp;Unter:</translation>
    </message>
    <message>
        <source>PDF files (*.pdf);;All files (*)</source>
        <translation>PDF-Dateien (*.pdf);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>No template: the numbers print on plain paper or pre-printed stock.</source>
        <translation>Keine Vorlage: Die Nummern werden auf leeres oder vorgedrucktes Papier gedruckt.</translation>
    </message>
    <message>
        <source>Cannot be used: %1</source>
        <translation>Nicht verwendbar: %1</translation>
    </message>
    <message>
        <source>1 page</source>
        <translation>1 Seite</translation>
    </message>
    <message>
        <source>%1 pages</source>
        <translation>%1 Seiten</translation>
    </message>
    <message>
        <source>%1; page %2 is %3 x %4 in.</source>
        <translation>%1; Seite %2 ist %3 x %4 Zoll groß.</translation>
    </message>
</context>
<context>
    <name>TTicketDesign</name>
    <message>
        <source>%1 x %2 in at %3, %4 in</source>
        <translation>%1 x %2 in bei %3, %4 in</translation>
    </message>
    <message>
        <source>the printable area is %1 now, %2 when it printed</source>
        <translation>der druckbare Bereich ist jetzt %1, beim Druck war er %2</translation>
    </message>
</context>
<context>
    <name>TTicketItemsDialog</name>
    <message>
        <source>Ticket Items</source>
        <translation>Ticketelemente</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>Nach &amp;oben</translation>
    </message>
    <message>
        <source>Move &amp;Down</source>
        <translation>Nach &amp;unten</translation>
    </message>
    <message>
        <source>Selected item</source>
        <translation>Gewähltes Element</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Barcode</source>
        <translation>Strichcode</translation>
    </message>
    <message>
        <source>{serial}: the serial as printed; {number}: the number alone; {check}: the check character</source>
        <translation>{serial}: die Seriennummer wie gedruckt; {number}: die Nummer allein; {check}: das Prüfzeichen</translation>
    </message>
    <message>
        <source>&amp;Kind:</source>
        <translation>&amp;Art:</translation>
    </message>
    <message>
        <source>&amp;Left:</source>
        <translation>&amp;Links:</translation>
    </message>
    <message>
        <source>&amp;Top:</source>
        <translation>O&amp;ben:</translation>
    </message>
    <message>
        <source>Te&amp;xt:</source>
        <translation>&amp;Text:</translation>
    </message>
    <message>
        <source>R&amp;otation:</source>
        <translation>&amp;Drehung:</translation>
    </message>
    <message>
        <source>Starts at the position</source>
        <translation>Beginnt an der Position</translation>
    </message>
    <message>
        <source>Centred on the position</source>
        <translation>Mittig auf der Position</translation>
    </message>
    <message>
        <source>Ends at the position</source>
        <translation>Endet an der Position</translation>
    </message>
    <message>
        <source>as the serial</source>
        <translation>wie die Seriennummer</translation>
    </message>
    <message>
        <source> pt</source>
        <translation> pt</translation>
    </message>
    <message>
        <source>&amp;Bold</source>
        <translation>&amp;Fett</translation>
    </message>
    <message>
        <source>&amp;Italic</source>
        <translation>&amp;Kursiv</translation>
    </message>
    <message>
        <source>Partly checked: as the serial</source>
        <translation>Teilweise markiert: wie die Seriennummer</translation>
    </message>
    <message>
        <source>Own &amp;colour</source>
        <translation>E&amp;igene Farbe</translation>
    </message>
    <message>
        <source>Colo&amp;ur...</source>
        <translation>Farb&amp;wahl...</translation>
    </message>
    <message>
        <source>Ali&amp;gn:</source>
        <translation>Aus&amp;richtung:</translation>
    </message>
    <message>
        <source>&amp;Font:</source>
        <translation>&amp;Schrift:</translation>
    </message>
    <message>
        <source>&amp;Size:</source>
        <translation>&amp;Größe:</translation>
    </message>
    <message>
        <source>Text u&amp;nder the bars</source>
        <translation>&amp;Klartext unter den Strichen</translation>
    </message>
    <message>
        <source>&amp;Symbology:</source>
        <translation>&amp;Symbologie:</translation>
    </message>
    <message>
        <source>&amp;Width:</source>
        <translation>Bre&amp;ite:</translation>
    </message>
    <message>
        <source>&amp;Height:</source>
        <translation>&amp;Höhe:</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>%1. %2: %3</source>
        <translation>%1. %2: %3</translation>
    </message>
</context>
<context>
    <name>TValueEdit</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>Wieder&amp;herstellen</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>Einf&amp;ügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alles auswählen</translation>
    </message>
</context>
<context>
    <name>TVoidDialog</name>
    <message>
        <source>Void</source>
        <translation>Ungültig</translation>
    </message>
    <message>
        <source>e.g. jammed in the printer</source>
        <translation>z. B. im Drucker gestaut</translation>
    </message>
    <message>
        <source>&amp;First serial:</source>
        <translation>&amp;Erste Seriennummer:</translation>
    </message>
    <message>
        <source>&amp;Last serial:</source>
        <translation>&amp;Letzte Seriennummer:</translation>
    </message>
    <message>
        <source>&amp;Reason:</source>
        <translation>&amp;Grund:</translation>
    </message>
    <message>
        <source>Type the first serial to void</source>
        <translation>Geben Sie die erste ungültige Seriennummer ein</translation>
    </message>
</context>
<context>
    <name>Template</name>
    <message>
        <source>The artwork (%1 x %2 in) is larger than its ticket (%3 x %4 in): it is cut at the ticket&apos;s edges</source>
        <translation>Die Vorlage (%1 x %2 in) ist größer als ihr Ticket (%3 x %4 in): Sie wird an den Rändern des Tickets abgeschnitten</translation>
    </message>
</context>
<context>
    <name>TfrmTallyforge</name>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Print Setup</source>
        <translation>Druckereinrichtung</translation>
    </message>
    <message>
        <source>Next Page</source>
        <translation>Nächste Seite</translation>
    </message>
    <message>
        <source>Previous Page</source>
        <translation>Vorherige Seite</translation>
    </message>
    <message>
        <source>Page Width</source>
        <translation>Seitenbreite</translation>
    </message>
    <message>
        <source>Whole Page</source>
        <translation>Ganze Seite</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Schriftart</translation>
    </message>
    <message>
        <source>Starting SN</source>
        <translation>Erste Seriennr.</translation>
    </message>
    <message>
        <source>Page Count</source>
        <translation>Seitenanzahl</translation>
    </message>
    <message>
        <source>Horizontal Indent</source>
        <translation>Einzug links</translation>
    </message>
    <message>
        <source>Vertical Indent</source>
        <translation>Einzug oben</translation>
    </message>
    <message>
        <source>Prefix</source>
        <translation>Präfix</translation>
    </message>
    <message>
        <source>Suffix</source>
        <translation>Suffix</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Drucken</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Units</source>
        <translation>Einheiten</translation>
    </message>
    <message>
        <source>Centimeter</source>
        <translation>Zentimeter</translation>
    </message>
    <message>
        <source>Inches</source>
        <translation>Zoll</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>Font...</source>
        <translation>Schriftart...</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Die Datei %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Printing page %1 of %2: %3</source>
        <translation>Seite %1 von %2 wird gedruckt: %3</translation>
    </message>
    <message>
        <source>Printed to %1</source>
        <translation>Gedruckt in %1</translation>
    </message>
    <message>
        <source>Sent to %1 as job %2</source>
        <translation>An %1 gesendet als Auftrag %2</translation>
    </message>
    <message>
        <source>Printing stopped: nothing was printed</source>
        <translation>Drucken abgebrochen: Es wurde nichts gedruckt</translation>
    </message>
    <message>
        <source>Printing stopped after %1 of %2 pages. %3</source>
        <translation>Drucken nach %1 von %2 Seiten abgebrochen. %3</translation>
    </message>
    <message>
        <source>The last number in %1 cannot be read: &apos;%2&apos;. The series starts at 1.</source>
        <translation>Die letzte Nummer in %1 ist nicht lesbar: „%2“. Die Serie beginnt bei 1.</translation>
    </message>
    <message>
        <source>Settings: %1</source>
        <translation>Einstellungen: %1</translation>
    </message>
    <message>
        <source>Print &amp;Log...</source>
        <translation>Druck&amp;protokoll...</translation>
    </message>
    <message>
        <source>&amp;Reprint...</source>
        <translation>&amp;Nachdrucken...</translation>
    </message>
    <message>
        <source>Number Format...</source>
        <translation>Zahlenformat...</translation>
    </message>
    <message>
        <source>This run was not recorded in the journal: %1</source>
        <translation>Dieser Lauf wurde nicht im Protokoll vermerkt: %1</translation>
    </message>
    <message>
        <source>Warning: %1</source>
        <translation>Warnung: %1</translation>
    </message>
    <message>
        <source>Prints %1-%2; next run starts at %3</source>
        <translation>Druckt %1-%2, dann ab %3</translation>
    </message>
    <message>
        <source>Shared Series...</source>
        <translation>Geteilte Serie...</translation>
    </message>
    <message>
        <source>Shared Series</source>
        <translation>Geteilte Serie</translation>
    </message>
    <message>
        <source>Several stations print from one series kept on a PostgreSQL server.
Leave both empty for this station&apos;s own counter. Passwords come from ~/.pgpass.</source>
        <translation>Mehrere Arbeitsplätze drucken aus einer Serie, die auf einem PostgreSQL-Server geführt wird.
Beide Felder leer lassen für den eigenen Zähler dieses Arbeitsplatzes. Passwörter kommen aus ~/.pgpass.</translation>
    </message>
    <message>
        <source>&amp;Server:</source>
        <translation>&amp;Server:</translation>
    </message>
    <message>
        <source>Series &amp;name:</source>
        <translation>Serien&amp;name:</translation>
    </message>
    <message>
        <source>Print &amp;Calibration Sheet</source>
        <translation>&amp;Kalibrierblatt drucken</translation>
    </message>
    <message>
        <source>&amp;Calibrate Printer...</source>
        <translation>Drucker &amp;kalibrieren...</translation>
    </message>
    <message>
        <source>Print the next run and move the counter past it</source>
        <translation>Den nächsten Lauf drucken und den Zähler dahinter setzen</translation>
    </message>
    <message>
        <source>Print &amp;Setup...</source>
        <translation>Drucker&amp;einrichtung...</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Print again: the same serials, the counter does not move</source>
        <translation>Erneut drucken: dieselben Seriennummern, der Zähler bleibt stehen</translation>
    </message>
    <message>
        <source>Both numbers are at the same place: set the second position</source>
        <translation>Beide Nummern stehen an derselben Stelle: die zweite Position einstellen</translation>
    </message>
    <message>
        <source>Two numbers on top of each other</source>
        <translation>Nummern übereinander</translation>
    </message>
    <message>
        <source>Prints %1-%2 on one sheet; next run starts at %3</source>
        <translation>Druckt %1-%2 auf einem Bogen, dann ab %3</translation>
    </message>
    <message>
        <source>Prints %1-%2 on %3 sheets; next run starts at %4</source>
        <translation>Druckt %1-%2 auf %3 Bögen, dann ab %4</translation>
    </message>
    <message>
        <source>Printing sheet %1 of %2</source>
        <translation>Bogen %1 von %2 wird gedruckt</translation>
    </message>
    <message>
        <source>Sheet &amp;Layout...</source>
        <translation>Bogen&amp;layout...</translation>
    </message>
    <message>
        <source>Ticket &amp;Items...</source>
        <translation>Ticket&amp;elemente...</translation>
    </message>
    <message>
        <source>File &gt; Print Log &gt; Print the Rest prints the sheets left.</source>
        <translation>Datei &gt; Druckprotokoll &gt; Rest drucken druckt die fehlenden Bögen.</translation>
    </message>
    <message>
        <source>&amp;Template...</source>
        <translation>&amp;Vorlage...</translation>
    </message>
    <message>
        <source>The template&apos;s page is larger than the paper</source>
        <translation>Die Seite der Vorlage ist größer als das Papier</translation>
    </message>
    <message>
        <source>Template not shown: %1</source>
        <translation>Vorlage nicht angezeigt: %1</translation>
    </message>
    <message>
        <source>Template %1, page %2</source>
        <translation>Vorlage %1, Seite %2</translation>
    </message>
    <message>
        <source>Template %1, page %2 (not printed)</source>
        <translation>Vorlage %1, Seite %2 (wird nicht gedruckt)</translation>
    </message>
    <message>
        <source>Printing stopped after %1 of %2 sheets. %3</source>
        <translation>Drucken nach %1 von %2 Bögen abgebrochen. %3</translation>
    </message>
    <message>
        <source>This run has no sheets left to print</source>
        <translation>Diesem Lauf fehlen keine Bögen</translation>
    </message>
    <message>
        <source>The run of %1 to %2 stopped after %3 of its %4 sheets: sheets %5 to %4 are left to print.</source>
        <translation>Der Lauf von %1 bis %2 wurde nach %3 seiner %4 Bögen abgebrochen: die Bögen %5 bis %4 fehlen noch.</translation>
    </message>
    <message>
        <source>the settings file holds %1, which this program does not know</source>
        <translation>die Einstellungsdatei enthält %1, das dieses Programm nicht kennt</translation>
    </message>
    <message>
        <source>Note: %1</source>
        <translation>Hinweis: %1</translation>
    </message>
    <message>
        <source>jobs %1 to %2</source>
        <translation>Aufträge %1 bis %2</translation>
    </message>
    <message>
        <source>job %1</source>
        <translation>Auftrag %1</translation>
    </message>
    <message>
        <source>Job %1 on %2 was cancelled. File &gt; Print Log &gt; Print the Rest prints what did not come out.</source>
        <translation>Auftrag %1 auf %2 wurde abgebrochen. Datei &gt; Druckprotokoll &gt; Rest drucken druckt, was nicht gedruckt wurde.</translation>
    </message>
    <message>
        <source>Job %1 on %2 was aborted by the printer. File &gt; Print Log &gt; Print the Rest prints what did not come out.</source>
        <translation>Auftrag %1 auf %2 wurde vom Drucker abgebrochen. Datei &gt; Druckprotokoll &gt; Rest drucken druckt, was nicht gedruckt wurde.</translation>
    </message>
    <message>
        <source>Sent to %1 as %2, not yet printed</source>
        <translation>An %1 gesendet als %2, noch nicht gedruckt</translation>
    </message>
    <message>
        <source>Printed on %1 as %2</source>
        <translation>Auf %1 gedruckt als %2</translation>
    </message>
    <message>
        <source>the print server %1 cannot be reached: prints go to PDF, and %2 stays the chosen printer</source>
        <translation>der Druckserver %1 ist nicht erreichbar: gedruckt wird als PDF, und %2 bleibt der gewählte Drucker</translation>
    </message>
    <message>
        <source>&amp;Data...</source>
        <translation>&amp;Daten...</translation>
    </message>
</context>
</TS>
