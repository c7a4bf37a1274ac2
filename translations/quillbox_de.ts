<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AdaptiveActions</name>
    <message>
        <location filename="../src/preferences/adaptive_actions.cpp" line="+19"/>
        <source>&amp;Reveal in File Manager</source>
        <translation>Im &amp;Dateimanager anzeigen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy &amp;Path</source>
        <translation>&amp;Pfad kopieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Re&amp;fresh Permissions</source>
        <translation>&amp;Berechtigungen aktualisieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Use &amp;Default</source>
        <translation>&amp;Standard verwenden</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>C&amp;lear &amp;&amp; Re-select…</source>
        <translation>&amp;Zurücksetzen &amp;&amp; neu wählen…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Clear &amp; Re-select…</source>
        <translation>Zurücksetzen &amp; neu wählen…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Checks again whether Quillbox may read and write the notes folder: after you changed its permissions, or mounted the drive it is on.</source>
        <translation>Prüft erneut, ob Quillbox den Notizordner lesen und beschreiben darf: nachdem Sie seine Berechtigungen geändert oder das Laufwerk eingehängt haben, auf dem er liegt.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <location filename="../src/app/command_line.cpp" line="+19"/>
        <source>The platform plugin.</source>
        <translation>Das Plattform-Plugin.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Where to look for platform plugins.</source>
        <translation>Wo nach Plattform-Plugins gesucht wird.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The platform theme.</source>
        <translation>Das Plattform-Design.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>An additional plugin to load.</source>
        <translation>Ein zusätzlich zu ladendes Plugin.</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+6"/>
        <source>The main window&apos;s size and place.</source>
        <translation>Größe und Lage des Hauptfensters.</translation>
    </message>
    <message>
        <location line="-5"/>
        <source>The main window&apos;s icon.</source>
        <translation>Das Symbol des Hauptfensters.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The main window&apos;s title.</source>
        <translation>Der Titel des Hauptfensters.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Lays the window out right to left.</source>
        <translation>Ordnet das Fenster von rechts nach links an.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Restores the session given.</source>
        <translation>Stellt die angegebene Sitzung wieder her.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The X display to use.</source>
        <translation>Die zu verwendende X-Anzeige.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The widget style.</source>
        <translation>Der Stil der Bedienelemente.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A style sheet to apply.</source>
        <translation>Ein anzuwendendes Stylesheet.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Prints how many widgets were left at exit.</source>
        <translation>Gibt aus, wie viele Bedienelemente beim Beenden übrig waren.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Enables the QML debugger.</source>
        <translation>Aktiviert den QML-Debugger.</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>Quillbox — plain-text notes that save themselves.</source>
        <translation>Quillbox – Notizen als reiner Text, die sich selbst speichern.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Makes a note of the words that follow (&quot;-&quot;: of standard input), or an empty dated note without them, and shows it.</source>
        <translation>Macht aus den folgenden Wörtern eine Notiz („-“: aus der Standardeingabe), ohne sie eine leere datierte Notiz, und zeigt sie an.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Shows the notes whose title or text holds the query.</source>
        <translation>Zeigt die Notizen, deren Titel oder Text die Suche enthält.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>query</source>
        <translation>Suche</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Answers the desktop&apos;s search without showing a window.</source>
        <translation>Beantwortet die Suche der Arbeitsumgebung, ohne ein Fenster zu zeigen.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>FILE</source>
        <translation>DATEI</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>A note of the notes folder to show.</source>
        <translation>Eine Notiz des Notizordners, die angezeigt werden soll.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>[FILE]</source>
        <translation>[DATEI]</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Unknown option: %1</source>
        <translation>Unbekannte Option: %1</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>--new and --search cannot be used together.</source>
        <translation>--new und --search können nicht zusammen verwendet werden.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>--search takes one query; put it in quotes.</source>
        <translation>--search nimmt eine Suche an; setzen Sie sie in Anführungszeichen.</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <location filename="../src/views/content_view.cpp" line="+54"/>
        <source>Quillbox</source>
        <translation>Quillbox</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>The history of your notes could not be read. It was moved to “%1”, and a new one was begun.</source>
        <translation>Der Verlauf Ihrer Notizen konnte nicht gelesen werden. Er wurde nach „%1“ verschoben, und ein neuer wurde begonnen.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Earlier versions of your notes can’t be kept: %1. Your notes are saved as usual.</source>
        <translation>Frühere Versionen Ihrer Notizen können nicht aufbewahrt werden: %1. Ihre Notizen werden wie gewohnt gespeichert.</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Another program changed “%1” while you were editing it. Your text was saved as “%2”; the other version was kept as it is.</source>
        <translation>Ein anderes Programm hat „%1“ geändert, während Sie die Notiz bearbeitet haben. Ihr Text wurde als „%2“ gespeichert; die andere Fassung bleibt unverändert erhalten.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Compare…</source>
        <translation>Vergleichen…</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>“%1” was moved to the Trash</source>
        <translation>„%1“ wurde in den Papierkorb verschoben</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>“%1” was deleted</source>
        <translation>„%1“ wurde gelöscht</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Main</source>
        <translation>Hauptwerkzeugleiste</translation>
    </message>
    <message>
        <location line="+8"/>
        <location line="+2"/>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <location line="+86"/>
        <source>Notes and editor</source>
        <translation>Notizen und Editor</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Notes list width</source>
        <translation>Breite der Notizliste</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>More Toolbar Items</source>
        <translation>Weitere Werkzeugleistenelemente</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+3"/>
        <source>Clear Search</source>
        <translation>Suche leeren</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>No notes match</source>
        <translation>Keine passenden Notizen</translation>
    </message>
</context>
<context>
    <name>DialogFolderPanel</name>
    <message>
        <location filename="../src/views/dialog_folder_panel.cpp" line="+13"/>
        <source>Choose Notes Folder</source>
        <translation>Notizordner auswählen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Choose</source>
        <translation>Auswählen</translation>
    </message>
</context>
<context>
    <name>EmptyDetailView</name>
    <message>
        <location filename="../src/views/empty_detail_view.cpp" line="+21"/>
        <source>No note selected</source>
        <translation>Keine Notiz ausgewählt</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Welcome to Quillbox</source>
        <translation>Willkommen bei Quillbox</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Quillbox keeps each note as a plain text file in one folder, your notes folder. Any editor can open them, and any sync tool can carry them.</source>
        <translation>Quillbox speichert jede Notiz als einfache Textdatei in einem Ordner, Ihrem Notizordner. Jeder Editor kann sie öffnen, und jedes Synchronisierungsprogramm kann sie übertragen.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Choose that folder next. Without one yet, %1 is a good place: Preferences ▸ Use Default makes it for you.</source>
        <translation>Wählen Sie diesen Ordner als Nächstes. Haben Sie noch keinen, ist %1 ein guter Ort: Einstellungen ▸ Standard verwenden legt ihn für Sie an.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Choose Notes Folder…</source>
        <translation>Notizordner auswählen…</translation>
    </message>
</context>
<context>
    <name>FileErrorText</name>
    <message>
        <location filename="../src/views/file_error_text.cpp" line="+11"/>
        <source>“%1”</source>
        <translation>„%1“</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>The folder %1 couldn’t be opened.</source>
        <translation>Der Ordner %1 konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The file %1 couldn’t be saved in the folder %2.</source>
        <translation>Die Datei %1 konnte nicht im Ordner %2 gespeichert werden.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The file %1 couldn’t be created in the folder %2.</source>
        <translation>Die Datei %1 konnte nicht im Ordner %2 erstellt werden.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The file %1 couldn’t be renamed to %2.</source>
        <translation>Die Datei %1 konnte nicht in %2 umbenannt werden.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The file %1 couldn’t be deleted.</source>
        <translation>Die Datei %1 konnte nicht gelöscht werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The file %1 couldn’t be put back from the Trash.</source>
        <translation>Die Datei %1 konnte nicht aus dem Papierkorb wiederhergestellt werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The file %1 couldn’t be put back: it is no longer in the Trash.</source>
        <translation>Die Datei %1 konnte nicht wiederhergestellt werden: Sie ist nicht mehr im Papierkorb.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The folder %1 couldn’t be created.</source>
        <translation>Der Ordner %1 konnte nicht erstellt werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The notes folder couldn’t be remembered.</source>
        <translation>Der Notizordner konnte nicht in den Einstellungen gespeichert werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The unsaved text couldn’t be kept in the folder %1.</source>
        <translation>Der ungespeicherte Text konnte nicht im Ordner %1 aufbewahrt werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The folder %1 was replaced by another folder.</source>
        <translation>Der Ordner %1 wurde durch einen anderen Ordner ersetzt.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Nothing is read from it or saved into it until you choose it again in Preferences. Unsaved text is kept.</source>
        <translation>Bis Sie ihn in den Einstellungen erneut auswählen, wird nichts daraus gelesen oder darin gespeichert. Ungespeicherter Text bleibt erhalten.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The Trash was emptied, or the file was taken out of it.</source>
        <translation>Der Papierkorb wurde geleert, oder die Datei wurde daraus entfernt.</translation>
    </message>
</context>
<context>
    <name>FindBar</name>
    <message>
        <location filename="../src/views/find_bar.cpp" line="+16"/>
        <source>Previous</source>
        <translation>Vorheriges</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Next</source>
        <translation>Nächstes</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Replace All</source>
        <translation>Alle ersetzen</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+1"/>
        <source>Find in Note</source>
        <translation>In Notiz suchen</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+1"/>
        <source>Replace With</source>
        <translation>Ersetzen durch</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>999 of 999</source>
        <translation>999 von 999</translation>
    </message>
    <message>
        <location line="+142"/>
        <source>No matches</source>
        <translation>Keine Treffer</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message numerus="yes">
        <location line="+2"/>
        <source>%n matches</source>
        <translation>
            <numerusform>%n Treffer</numerusform>
            <numerusform>%n Treffer</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>HistoryPreferences</name>
    <message>
        <location filename="../src/preferences/history_preferences.cpp" line="+36"/>
        <source>Clear &amp;History…</source>
        <translation>&amp;Verlauf leeren…</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&lt;b&gt;History&lt;/b&gt;</source>
        <translation>&lt;b&gt;Verlauf&lt;/b&gt;</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Every version of each note is kept for 30 days, then one a day. Versions are kept outside the notes folder.</source>
        <translation>Jede Version einer Notiz wird 30 Tage lang aufbewahrt, danach eine pro Tag. Die Versionen liegen außerhalb des Notizordners.</translation>
    </message>
    <message numerus="yes">
        <location line="+9"/>
        <location line="+2"/>
        <source> days</source>
        <translation>
            <numerusform> Tag</numerusform>
            <numerusform> Tage</numerusform>
        </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Keep versions for</source>
        <translation>Versionen aufbewahren für</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Keep versions for:</source>
        <translation>Versionen aufbewahren für:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source> MB</source>
        <translation> MB</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Largest size of the history</source>
        <translation>Höchstgröße des Verlaufs</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>At most:</source>
        <translation>Höchstens:</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Clear the history of every note in this folder?</source>
        <translation>Den Verlauf aller Notizen in diesem Ordner leeren?</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Earlier versions and deleted notes kept in the history can’t be brought back afterwards. The notes themselves stay as they are.</source>
        <translation>Frühere Versionen und gelöschte Notizen im Verlauf lassen sich danach nicht mehr zurückholen. Die Notizen selbst bleiben unverändert.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Clear History</source>
        <translation>Verlauf leeren</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The history was cleared.</source>
        <translation>Der Verlauf wurde geleert.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The history couldn’t be cleared.</source>
        <translation>Der Verlauf konnte nicht geleert werden.</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <location filename="../src/views/history_window.cpp" line="+70"/>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+9"/>
        <source>Versions</source>
        <translation>Versionen</translation>
    </message>
    <message>
        <location line="-8"/>
        <location line="+21"/>
        <source>Deleted Notes</source>
        <translation>Gelöschte Notizen</translation>
    </message>
    <message>
        <location line="-11"/>
        <source>Restore This Version</source>
        <translation>Diese Version wiederherstellen</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Last Text</source>
        <translation>Letzter Text</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Restore Note</source>
        <translation>Notiz wiederherstellen</translation>
    </message>
    <message>
        <location line="+19"/>
        <location line="+16"/>
        <source>Saved</source>
        <translation>Gespeichert</translation>
    </message>
    <message>
        <location line="-14"/>
        <source>Merged</source>
        <translation>Zusammengeführt</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Another program&apos;s version</source>
        <translation>Fassung eines anderen Programms</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Before another program&apos;s change</source>
        <translation>Vor der Änderung durch ein anderes Programm</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Before delete</source>
        <translation>Vor dem Löschen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Restored</source>
        <translation>Wiederhergestellt</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Recovered</source>
        <translation>Gerettet</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>History — %1</source>
        <translation>Verlauf – %1</translation>
    </message>
    <message>
        <location line="+13"/>
        <location line="+37"/>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
</context>
<context>
    <name>MessageBar</name>
    <message>
        <location filename="../src/views/message_bar.cpp" line="+23"/>
        <source>Dismiss</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Message</source>
        <translation>Meldung</translation>
    </message>
</context>
<context>
    <name>MessageBoxAlerts</name>
    <message>
        <location filename="../src/views/message_box_alerts.cpp" line="+31"/>
        <location line="+11"/>
        <source>Quillbox</source>
        <translation>Quillbox</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>NoteEditor</name>
    <message>
        <location filename="../src/views/note_editor.cpp" line="+42"/>
        <source>Note</source>
        <translation>Notiz</translation>
    </message>
    <message>
        <location line="+76"/>
        <source>This note’s text or name is not valid UTF-8, or it could not be read. It is shown read-only, and its file is left as it is.</source>
        <translation>Text oder Name dieser Notiz sind kein gültiges UTF-8, oder sie konnte nicht gelesen werden. Sie wird schreibgeschützt angezeigt, und ihre Datei bleibt unverändert.</translation>
    </message>
</context>
<context>
    <name>NoteFlows</name>
    <message>
        <location filename="../src/app/note_flows.cpp" line="+42"/>
        <location line="+27"/>
        <source>Open Preferences…</source>
        <translation>Einstellungen öffnen…</translation>
    </message>
    <message>
        <location line="-27"/>
        <location line="+12"/>
        <location line="+15"/>
        <location line="+15"/>
        <location line="+10"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="-41"/>
        <source>Create a note named “%1”?</source>
        <translation>Eine Notiz namens „%1“ erstellen?</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>No note has this title yet.</source>
        <translation>Noch keine Notiz hat diesen Titel.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Create Note</source>
        <translation>Notiz erstellen</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Select a notes folder</source>
        <translation>Wählen Sie einen Notizordner</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Open Preferences (Ctrl+,) and choose a writable folder, such as one in your Documents.</source>
        <translation>Öffnen Sie die Einstellungen (Strg+,) und wählen Sie einen beschreibbaren Ordner, etwa einen in Ihren Dokumenten.</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Delete “%1”?</source>
        <translation>„%1“ löschen?</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>This will move the file to the Trash. You can restore it until the Trash is emptied.</source>
        <translation>Die Datei wird in den Papierkorb verschoben. Sie können sie wiederherstellen, bis der Papierkorb geleert wird.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Move to Trash</source>
        <translation>In den Papierkorb verschieben</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Can’t move to Trash</source>
        <translation>Verschieben in den Papierkorb nicht möglich</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>“%1” couldn’t be moved to the Trash. You can delete it permanently instead.</source>
        <translation>„%1“ konnte nicht in den Papierkorb verschoben werden. Sie können die Notiz stattdessen endgültig löschen.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Delete Permanently</source>
        <translation>Endgültig löschen</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Some notes couldn’t be saved</source>
        <translation>Einige Notizen konnten nicht gespeichert werden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Their text is still here. If you quit anyway, it is kept in “%1”.</source>
        <translation>Ihr Text ist noch vorhanden. Wenn Sie trotzdem beenden, wird er in „%1“ aufbewahrt.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Don’t Quit</source>
        <translation>Nicht beenden</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Quit Anyway</source>
        <translation>Trotzdem beenden</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Cannot use this folder</source>
        <translation>Dieser Ordner kann nicht verwendet werden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Quillbox does not have permission to write to:
%1

Choose a different location (e.g., a folder under Documents).</source>
        <translation>Quillbox darf nicht schreiben in:
%1

Wählen Sie einen anderen Ort (z. B. einen Ordner unter Dokumente).</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>NoteRowDelegate</name>
    <message>
        <location filename="../src/views/note_row_delegate.cpp" line="+88"/>
        <source>Conflict copy</source>
        <translation>Konfliktkopie</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Conflict</source>
        <translation>Konflikt</translation>
    </message>
</context>
<context>
    <name>NoteRowMenu</name>
    <message>
        <location filename="../src/views/note_row_menu.cpp" line="+49"/>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Reveal in File Manager</source>
        <translation>Im &amp;Dateimanager anzeigen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Copy Path</source>
        <translation>&amp;Pfad kopieren</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;History…</source>
        <translation>&amp;Verlauf…</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;Delete…</source>
        <translation>&amp;Löschen…</translation>
    </message>
</context>
<context>
    <name>NotesAppCommands</name>
    <message>
        <location filename="../src/app/notes_app_commands.cpp" line="+59"/>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Preferences…</source>
        <translation>&amp;Einstellungen…</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Undo Delete</source>
        <translation>&amp;Löschen rückgängig machen</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Check &amp;Spelling</source>
        <translation>Rechtschreibung &amp;prüfen</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Spelling &amp;Language</source>
        <translation>&amp;Wörterbuchsprache</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>No Dictionaries Installed</source>
        <translation>Keine Wörterbücher installiert</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>&amp;Notes</source>
        <translation>&amp;Notizen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;New Note</source>
        <translation>&amp;Neue Notiz</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>New Note (%1)</source>
        <translation>Neue Notiz (%1)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Delete Note</source>
        <translation>Notiz &amp;löschen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Delete Selected Note (%1)</source>
        <translation>Ausgewählte Notiz löschen (%1)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&amp;Print…</source>
        <translation>&amp;Drucken…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;History…</source>
        <translation>&amp;Verlauf…</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Search</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>&amp;Find…</source>
        <translation>&amp;Suchen…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Find &amp;Next</source>
        <translation>&amp;Nächstes suchen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Find Pre&amp;vious</source>
        <translation>&amp;Vorheriges suchen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Replace…</source>
        <translation>&amp;Ersetzen…</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Zoom &amp;In</source>
        <translation>Ver&amp;größern</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Zoom &amp;Out</source>
        <translation>Ver&amp;kleinern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Actual Size</source>
        <translation>&amp;Originalgröße</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;About Quillbox</source>
        <translation>&amp;Über Quillbox</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;Markdown Highlighting</source>
        <translation>&amp;Markdown-Hervorhebung</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>&amp;Keyboard Shortcuts</source>
        <translation>&amp;Tastenkürzel</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Next Pane</source>
        <translation>Nächster Bereich</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Previous Pane</source>
        <translation>Vorheriger Bereich</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Open Preferences…</source>
        <translation>Einstellungen öffnen…</translation>
    </message>
</context>
<context>
    <name>NotesColumn</name>
    <message>
        <location filename="../src/views/notes_column.cpp" line="+40"/>
        <source>The notes folder “%1” can’t be found. Reconnect it, or choose another folder in Preferences.</source>
        <translation>Der Notizordner „%1“ wurde nicht gefunden. Verbinden Sie ihn wieder, oder wählen Sie in den Einstellungen einen anderen Ordner.</translation>
    </message>
</context>
<context>
    <name>PreferencesDialog</name>
    <message>
        <location filename="../src/preferences/preferences_dialog.cpp" line="+13"/>
        <source>Preferences — Quillbox</source>
        <translation>Einstellungen – Quillbox</translation>
    </message>
</context>
<context>
    <name>PreferencesView</name>
    <message>
        <location filename="../src/preferences/preferences_view.cpp" line="+40"/>
        <source>Not set</source>
        <translation>Nicht festgelegt</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Checking…</source>
        <translation>Wird geprüft…</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Writable</source>
        <translation>Beschreibbar</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>No access to %1</source>
        <translation>Kein Zugriff auf %1</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Path copied to clipboard</source>
        <translation>Pfad in die Zwischenablage kopiert</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Permissions refreshed</source>
        <translation>Berechtigungen aktualisiert</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Folder cleared — please choose a new folder</source>
        <translation>Ordner zurückgesetzt – bitte wählen Sie einen neuen Ordner</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Using %1</source>
        <translation>%1 wird verwendet</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>Notes Folder</source>
        <translation>Notizordner</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>&amp;Choose…</source>
        <translation>&amp;Auswählen…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Choose Notes Folder…</source>
        <translation>Notizordner auswählen…</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Tip: Pick a folder inside your home directory (e.g., ~/Documents/Notes).</source>
        <translation>Tipp: Wählen Sie einen Ordner in Ihrem persönlichen Ordner (z. B. ~/Dokumente/Notes).</translation>
    </message>
    <message>
        <location line="+51"/>
        <source>No folder selected</source>
        <translation>Kein Ordner ausgewählt</translation>
    </message>
</context>
<context>
    <name>QuillboxApp</name>
    <message>
        <location filename="../src/app/quillbox_app.cpp" line="+69"/>
        <source>Text that could not be saved earlier is kept in “%1”.</source>
        <translation>Text, der zuvor nicht gespeichert werden konnte, wird in „%1“ aufbewahrt.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show in File Manager</source>
        <translation>Im Dateimanager anzeigen</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>About Quillbox</source>
        <translation>Über Quillbox</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&lt;h3&gt;Quillbox %1&lt;/h3&gt;&lt;p&gt;Plain-text notes that save themselves.&lt;/p&gt;&lt;p&gt;Free software under the MIT licence.&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Quillbox %1&lt;/h3&gt;&lt;p&gt;Notizen als reiner Text, die sich selbst speichern.&lt;/p&gt;&lt;p&gt;Freie Software unter der MIT-Lizenz.&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <location line="+136"/>
        <source>“%1” cannot be shown: no notes folder is chosen.</source>
        <translation>„%1“ kann nicht angezeigt werden: Es ist kein Notizordner gewählt.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>“%1” is not a note of the notes folder “%2”.</source>
        <translation>„%1“ ist keine Notiz des Notizordners „%2“.</translation>
    </message>
</context>
<context>
    <name>RowText</name>
    <message>
        <location filename="../src/views/row_text.cpp" line="+34"/>
        <source>Conflict copy of “%1”</source>
        <translation>Konfliktkopie von „%1“</translation>
    </message>
</context>
<context>
    <name>SaveFailureNotices</name>
    <message>
        <location filename="../src/app/save_failure_notices.cpp" line="+27"/>
        <source>“%1” still can&apos;t be saved: %2. Your text is kept.</source>
        <translation>„%1“ kann weiterhin nicht gespeichert werden: %2. Ihr Text bleibt erhalten.</translation>
    </message>
</context>
<context>
    <name>SearchProgress</name>
    <message>
        <location filename="../src/views/search_progress.cpp" line="+45"/>
        <source>Searching… %1 %</source>
        <translation>Suche… %1 %</translation>
    </message>
</context>
<context>
    <name>ShortcutsDialog</name>
    <message>
        <location filename="../src/app/shortcuts_dialog.cpp" line="+55"/>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <location line="+8"/>
        <location line="+9"/>
        <source>Keyboard Shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <location line="-7"/>
        <location line="+1"/>
        <source>Search Shortcuts</source>
        <translation>Tastenkürzel durchsuchen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Shortcut</source>
        <translation>Tastenkürzel</translation>
    </message>
</context>
<context>
    <name>SortByMenu</name>
    <message>
        <location filename="../src/app/sort_by_menu.cpp" line="+18"/>
        <source>Sort &amp;By</source>
        <translation>&amp;Sortieren nach</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Date Modified</source>
        <translation>Änderungs&amp;datum</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Title</source>
        <translation>&amp;Titel</translation>
    </message>
</context>
<context>
    <name>SpellingMenu</name>
    <message>
        <location filename="../src/views/spelling_menu.cpp" line="+64"/>
        <source>No Suggestions</source>
        <translation>Keine Vorschläge</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Add to Dictionary</source>
        <translation>Zum Wörterbuch hinzufügen</translation>
    </message>
</context>
<context>
    <name>TextEditCommands</name>
    <message>
        <location filename="../src/app/text_edit_commands.cpp" line="+28"/>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Redo</source>
        <translation>Wieder&amp;herstellen</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Cu&amp;t</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Paste</source>
        <translation>Ein&amp;fügen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Select &amp;All</source>
        <translation>Alles a&amp;uswählen</translation>
    </message>
</context>
<context>
    <name>VersionDiffView</name>
    <message>
        <location filename="../src/views/version_diff_view.cpp" line="+23"/>
        <source>Changes</source>
        <translation>Änderungen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Lines marked − are only in this version; lines marked + are only in the current text.</source>
        <translation>Mit − markierte Zeilen gibt es nur in dieser Version, mit + markierte nur im aktuellen Text.</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>%1 only in this version %2 only in the current text</source>
        <translation>%1 nur in dieser Version %2 nur im aktuellen Text</translation>
    </message>
</context>
<context>
    <name>WindowTitle</name>
    <message>
        <location filename="../src/views/window_title.cpp" line="+19"/>
        <source>Quillbox</source>
        <translation>Quillbox</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 — Quillbox</source>
        <translation>%1 — Quillbox</translation>
    </message>
</context>
</TS>
