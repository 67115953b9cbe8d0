<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CategoryBar</name>
    <message>
        <source>&lt; Back</source>
        <translation>&lt; Zurück</translation>
    </message>
    <message>
        <source>Overview</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Documents</source>
        <translation>Dokumente</translation>
    </message>
    <message>
        <source>Images</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>Musics</source>
        <translation>Musik</translation>
    </message>
    <message>
        <source>Videos</source>
        <translation>Videos</translation>
    </message>
    <message>
        <source>Archives</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>Packages</source>
        <translation>Pakete</translation>
    </message>
    <message>
        <source>Others</source>
        <translation>Andere</translation>
    </message>
</context>
<context>
    <name>DesktopPrompts</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>FilePresentationPane</name>
    <message>
        <source>Smart Select</source>
        <translation>Intelligente Auswahl</translation>
    </message>
    <message>
        <source>Thumbnails</source>
        <translation>Miniaturansichten</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Compare</source>
        <translation>Vergleichen</translation>
    </message>
</context>
<context>
    <name>FolderStrip</name>
    <message>
        <source>info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>The folder has been ignored.</source>
        <translation>Dieser Ordner steht auf der Ignorierliste.</translation>
    </message>
    <message>
        <source>The folder has been added.</source>
        <translation>Dieser Ordner wurde bereits hinzugefügt.</translation>
    </message>
    <message>
        <source>0 folders added</source>
        <translation>0 Ordner hinzugefügt</translation>
    </message>
    <message>
        <source>Previous folder</source>
        <translation>Vorheriger Ordner</translation>
    </message>
    <message>
        <source>Next folder</source>
        <translation>Nächster Ordner</translation>
    </message>
    <message numerus="yes">
        <source>%n folders added</source>
        <translation>
            <numerusform>%n Ordner hinzugefügt</numerusform>
            <numerusform>%n Ordner hinzugefügt</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GroupListPane</name>
    <message>
        <source>Duplicate</source>
        <translation>Duplikate</translation>
    </message>
    <message>
        <source>Similar</source>
        <translation>Ähnliche</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>Anzahl</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>%1 of %2 similar images marked for removal</source>
        <translation>%1 von %2 ähnlichen Bildern zum Entfernen markiert</translation>
    </message>
    <message>
        <source>%1 of %2 files marked for removal</source>
        <translation>%1 von %2 Dateien zum Entfernen markiert</translation>
    </message>
    <message>
        <source>Descending; choose it again to reverse</source>
        <translation>Absteigend; erneut wählen, um umzukehren</translation>
    </message>
    <message>
        <source>Ascending; choose it again to reverse</source>
        <translation>Aufsteigend; erneut wählen, um umzukehren</translation>
    </message>
</context>
<context>
    <name>ImageListView</name>
    <message>
        <source>Date Created:</source>
        <translation>Erstellt am:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>Auflösung:</translation>
    </message>
    <message>
        <source>Tag:</source>
        <translation>Schlagwort:</translation>
    </message>
    <message>
        <source>Path:</source>
        <translation>Pfad:</translation>
    </message>
    <message>
        <source>Open the containing folder</source>
        <translation>Den enthaltenden Ordner öffnen</translation>
    </message>
    <message>
        <source>Hide this file from these results only; later scans find it again</source>
        <translation>Diese Datei nur in diesen Ergebnissen ausblenden; spätere Suchen finden sie wieder</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Find and remove duplicate files and similar images</source>
        <translation>Duplikate und ähnliche Bilder finden und entfernen</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>Menü</translation>
    </message>
    <message>
        <source>No duplicate files found</source>
        <translation>Keine doppelten Dateien gefunden</translation>
    </message>
    <message>
        <source>Your folders are tidy. Start a new scan to check other folders.</source>
        <translation>Alles aufgeräumt. Eine neue Suche prüft weitere Ordner.</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>User Guide</source>
        <translation>Benutzerhandbuch</translation>
    </message>
    <message>
        <source>Product FAQ</source>
        <translation>Häufige Fragen</translation>
    </message>
    <message>
        <source>Feedback and Support</source>
        <translation>Rückmeldung und Hilfe</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Select Folder</source>
        <translation>Ordner auswählen</translation>
    </message>
    <message>
        <source>Data processing...</source>
        <translation>Daten werden verarbeitet …</translation>
    </message>
    <message>
        <source>Exact duplicates only</source>
        <translation>Nur exakte Duplikate</translation>
    </message>
    <message>
        <source>Find only files with the same content and skip the search for similar images, which takes longer</source>
        <translation>Nur Dateien mit gleichem Inhalt finden und die länger dauernde Suche nach ähnlichen Bildern überspringen</translation>
    </message>
    <message numerus="yes">
        <source>%n duplicate(s) found (%1)</source>
        <translation>
            <numerusform>%n Duplikat gefunden (%1)</numerusform>
            <numerusform>%n Duplikate gefunden (%1)</numerusform>
        </translation>
    </message>
    <message>
        <source>Scan stopped after %1 s: %2</source>
        <translation>Suche nach %1 s angehalten: %2</translation>
    </message>
    <message>
        <source>Scan finished in %1 s: %2</source>
        <translation>Suche in %1 s beendet: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n duplicate(s) left (%1)</source>
        <translation>
            <numerusform>%n Duplikat übrig (%1)</numerusform>
            <numerusform>%n Duplikate übrig (%1)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PreviewTableModel</name>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Date Created</source>
        <translation>Erstellt am</translation>
    </message>
    <message>
        <source>Hide this file from these results only; later scans find it again</source>
        <translation>Diese Datei nur in diesen Ergebnissen ausblenden; spätere Suchen finden sie wieder</translation>
    </message>
    <message>
        <source>Open the containing folder</source>
        <translation>Den enthaltenden Ordner öffnen</translation>
    </message>
</context>
<context>
    <name>QAbout</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>More Info</source>
        <translation>Mehr erfahren</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Copyright © %1 %2. All rights reserved.</source>
        <translation>Copyright © %1 %2. Alle Rechte vorbehalten.</translation>
    </message>
</context>
<context>
    <name>QNetWorkProcess</name>
    <message>
        <source>A new version of %1 is available! <byte value="xd"/>
%1 %2 is now available---you have %3. Would you like to download it now?</source>
        <translation>Eine neue Version von %1 ist verfügbar! <byte value="xd"/>
%1 %2 ist jetzt erhältlich – Sie haben %3. Möchten Sie sie jetzt herunterladen?</translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation>Softwareaktualisierung</translation>
    </message>
</context>
<context>
    <name>RemovalConfirmDialog</name>
    <message>
        <source>The selected files will be permanently deleted,are you sure to delete?</source>
        <translation>Die ausgewählten Dateien werden endgültig gelöscht. Wirklich löschen?</translation>
    </message>
    <message>
        <source>This cannot be undone.</source>
        <translation>Das kann nicht rückgängig gemacht werden.</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message numerus="yes">
        <source>Every file of %n group(s) is marked: removing them all would leave no copy of these files. One file of each group is kept:</source>
        <translation>
            <numerusform>In %n Gruppe sind alle Dateien markiert: Würden alle entfernt, bliebe keine Kopie dieser Dateien übrig. Eine Datei der Gruppe bleibt erhalten:</numerusform>
            <numerusform>In %n Gruppen sind alle Dateien markiert: Würden alle entfernt, bliebe keine Kopie dieser Dateien übrig. Von jeder Gruppe bleibt eine Datei erhalten:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n exact copies</source>
        <translation>
            <numerusform>%n exakte Kopie</numerusform>
            <numerusform>%n exakte Kopien</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n similar images</source>
        <translation>
            <numerusform>%n ähnliches Bild</numerusform>
            <numerusform>%n ähnliche Bilder</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 (%2) keeps %3</source>
        <translation>%1 (%2) behält %3</translation>
    </message>
    <message>
        <source>Remove every copy of these files</source>
        <translation>Jede Kopie dieser Dateien entfernen</translation>
    </message>
    <message>
        <source>Method: delete permanently</source>
        <translation>Methode: endgültig löschen</translation>
    </message>
    <message>
        <source>Method: move to the trash</source>
        <translation>Methode: in den Papierkorb verschieben</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s), %1, from %2 group(s):</source>
        <translation>
            <numerusform>%n Datei, %1, aus %2 Gruppe(n):</numerusform>
            <numerusform>%n Dateien, %1, aus %2 Gruppe(n):</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Delete %n file(s)</source>
        <translation>
            <numerusform>%n Datei löschen</numerusform>
            <numerusform>%n Dateien löschen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Move %n file(s)</source>
        <translation>
            <numerusform>%n Datei verschieben</numerusform>
            <numerusform>%n Dateien verschieben</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Move %n file(s) to the trash</source>
        <translation>
            <numerusform>%n Datei in den Papierkorb verschieben</numerusform>
            <numerusform>%n Dateien in den Papierkorb verschieben</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Every file of %n group(s) is marked, and every copy of these files will be removed: none of them is kept.</source>
        <translation>
            <numerusform>Jede Datei von %n Gruppe ist markiert, und jede Kopie dieser Dateien wird entfernt: keine bleibt erhalten.</numerusform>
            <numerusform>Jede Datei von %n Gruppen ist markiert, und jede Kopie dieser Dateien wird entfernt: keine bleibt erhalten.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 (%2): every copy is removed</source>
        <translation>%1 (%2): jede Kopie wird entfernt</translation>
    </message>
    <message>
        <source>Method: move to the folder %1. Each file keeps its folders below it, starting with the scanned folder it was found in.</source>
        <translation>Methode: in den Ordner %1 verschieben. Jede Datei behält darunter ihre Ordner, beginnend mit dem durchsuchten Ordner, in dem sie gefunden wurde.</translation>
    </message>
</context>
<context>
    <name>RemovalController</name>
    <message numerus="yes">
        <source>%n files changed since the scan were kept.</source>
        <translation>
            <numerusform>%n Datei hat sich seit der Suche geändert und wurde behalten.</numerusform>
            <numerusform>%n Dateien haben sich seit der Suche geändert und wurden behalten.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n marked files could not be removed; the log names each one.</source>
        <translation>
            <numerusform>%n markierte Datei konnte nicht entfernt werden; das Protokoll nennt sie.</numerusform>
            <numerusform>%n markierte Dateien konnten nicht entfernt werden; das Protokoll nennt jede einzelne.</numerusform>
        </translation>
    </message>
    <message>
        <source>Deleting, please waiting...</source>
        <translation>Wird gelöscht, bitte warten …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>ResultExporter</name>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>JSON files (*.json)</source>
        <translation>JSON-Dateien (*.json)</translation>
    </message>
    <message>
        <source>Export Results</source>
        <translation>Ergebnisse exportieren</translation>
    </message>
    <message>
        <source>The results could not be written to %1:
%2</source>
        <translation>Die Ergebnisse konnten nicht nach %1 geschrieben werden:
%2</translation>
    </message>
</context>
<context>
    <name>ResultForm</name>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>files marked for removal,</source>
        <translation>Dateien zum Entfernen markiert,</translation>
    </message>
    <message>
        <source>to be freed;</source>
        <translation>werden frei;</translation>
    </message>
    <message>
        <source>Show the files hidden from these results again</source>
        <translation>Die in diesen Ergebnissen ausgeblendeten Dateien wieder zeigen</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Exportieren…</translation>
    </message>
    <message>
        <source>Show hidden files (%1)</source>
        <translation>Ausgeblendete Dateien zeigen (%1)</translation>
    </message>
    <message>
        <source>Hide from these results</source>
        <translation>In diesen Ergebnissen ausblenden</translation>
    </message>
    <message>
        <source>Only this list leaves the file out; later scans find it again</source>
        <translation>Nur diese Liste lässt die Datei weg; spätere Suchen finden sie wieder</translation>
    </message>
    <message>
        <source>Always ignore this file</source>
        <translation>Diese Datei immer ignorieren</translation>
    </message>
    <message>
        <source>Adds the file to the ignore list, so no later scan reads it</source>
        <translation>Fügt die Datei der Ignorierliste hinzu, sodass keine spätere Suche sie liest</translation>
    </message>
    <message>
        <source>Open the containing folder</source>
        <translation>Den enthaltenden Ordner öffnen</translation>
    </message>
    <message numerus="yes">
        <source>%n duplicate(s) found (%1)</source>
        <translation>
            <numerusform>%n Duplikat gefunden (%1)</numerusform>
            <numerusform>%n Duplikate gefunden (%1)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ScanProgressPage</name>
    <message>
        <source>Files Scanned</source>
        <translation>Dateien geprüft</translation>
    </message>
    <message>
        <source>Files Found</source>
        <translation>Dateien gefunden</translation>
    </message>
    <message>
        <source>Files Scanned  0.00%</source>
        <translation>Dateien geprüft  0,00%</translation>
    </message>
    <message>
        <source>Duplicates Found</source>
        <translation>Duplikate</translation>
    </message>
    <message>
        <source>Size of Duplicates</source>
        <translation>Duplikatgröße</translation>
    </message>
    <message>
        <source>Reading %1</source>
        <translation>Lese %1</translation>
    </message>
</context>
<context>
    <name>SmartSelectMenu</name>
    <message>
        <source>Smart Select</source>
        <translation>Intelligente Auswahl</translation>
    </message>
    <message>
        <source>Select by Priority</source>
        <translation>Nach Priorität auswählen</translation>
    </message>
    <message>
        <source>Select Newest</source>
        <translation>Neueste auswählen</translation>
    </message>
    <message>
        <source>Select Oldest</source>
        <translation>Älteste auswählen</translation>
    </message>
    <message>
        <source>Select Largest</source>
        <translation>Größte auswählen</translation>
    </message>
    <message>
        <source>Select Smallest</source>
        <translation>Kleinste auswählen</translation>
    </message>
    <message>
        <source>Select Highest Resolution</source>
        <translation>Höchste Auflösung auswählen</translation>
    </message>
    <message>
        <source>Select Lower Resolution</source>
        <translation>Niedrigste Auflösung auswählen</translation>
    </message>
    <message>
        <source>Deselect</source>
        <translation>Auswahl aufheben</translation>
    </message>
</context>
<context>
    <name>TwFileItem</name>
    <message>
        <source>%1 B</source>
        <translation>%1 B</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
</context>
<context>
    <name>TwGeneralWidget</name>
    <message>
        <source>Scan Method</source>
        <translation>Suchmethode</translation>
    </message>
    <message>
        <source>File Content</source>
        <translation>Dateiinhalt</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Remove Method</source>
        <translation>Entfernungsmethode</translation>
    </message>
    <message>
        <source>Move to Trash</source>
        <translation>In den Papierkorb verschieben</translation>
    </message>
    <message>
        <source>Remove Permanently</source>
        <translation>Endgültig entfernen</translation>
    </message>
    <message>
        <source>Move to Folder</source>
        <translation>In einen Ordner verschieben</translation>
    </message>
    <message>
        <source>Choose a folder for the removed files</source>
        <translation>Ordner für die entfernten Dateien wählen</translation>
    </message>
    <message>
        <source>Choose the folder that receives the removed files</source>
        <translation>Den Ordner wählen, der die entfernten Dateien aufnimmt</translation>
    </message>
    <message>
        <source>Show this folder in the file browser</source>
        <translation>Diesen Ordner in der Dateiverwaltung zeigen</translation>
    </message>
    <message>
        <source>Image Similarity</source>
        <translation>Bildähnlichkeit</translation>
    </message>
    <message>
        <source>Features Similarity</source>
        <translation>Merkmalsähnlichkeit</translation>
    </message>
    <message>
        <source>Select Minimum and Maximum file size</source>
        <translation>Minimale und maximale Dateigröße wählen</translation>
    </message>
    <message>
        <source>Minimum file  size</source>
        <translation>Minimale Dateigröße</translation>
    </message>
    <message>
        <source>KB</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>Maximum file size</source>
        <translation>Maximale Dateigröße</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>MB</translation>
    </message>
    <message>
        <source>Check for updates at start</source>
        <translation>Beim Start nach Aktualisierungen suchen</translation>
    </message>
    <message>
        <source>The maximum file size cannot be less than the minimum file size.</source>
        <translation>Die maximale Dateigröße darf nicht kleiner als die minimale sein.</translation>
    </message>
    <message>
        <source>Please select the folder where the deleted files will be moved to.</source>
        <translation>Bitte wählen Sie den Ordner, in den die gelöschten Dateien verschoben werden.</translation>
    </message>
    <message>
        <source>Select folder</source>
        <translation>Ordner auswählen</translation>
    </message>
    <message>
        <source>Similar Image Method</source>
        <translation>Methode für ähnliche Bilder</translation>
    </message>
    <message>
        <source>Accurate</source>
        <translation>Genau</translation>
    </message>
    <message>
        <source>Compares every photo with its likely matches; finds resized, recompressed, rotated and greyscale copies</source>
        <translation>Vergleicht jedes Foto mit seinen wahrscheinlichen Gegenstücken; findet verkleinerte, neu komprimierte, gedrehte und graustufige Kopien</translation>
    </message>
    <message>
        <source>Classic</source>
        <translation>Klassisch</translation>
    </message>
    <message>
        <source>The earlier method: colour histogram and feature matching against the first image of each group</source>
        <translation>Die frühere Methode: Farbhistogramm und Merkmalsvergleich mit dem ersten Bild jeder Gruppe</translation>
    </message>
    <message>
        <source>Remember unchanged files for the next scan</source>
        <translation>Unveränderte Dateien für den nächsten Scan merken</translation>
    </message>
    <message>
        <source>Fingerprints and image features of files that have not changed are kept, so the next scan does not read them again</source>
        <translation>Fingerabdrücke und Bildmerkmale unveränderter Dateien werden aufbewahrt, damit der nächste Scan sie nicht erneut liest</translation>
    </message>
    <message>
        <source>Clear Cache</source>
        <translation>Cache leeren</translation>
    </message>
    <message>
        <source>%1 in use</source>
        <translation>%1 belegt</translation>
    </message>
    <message>
        <source>Empty</source>
        <translation>Leer</translation>
    </message>
</context>
<context>
    <name>TwIgnoreListWidget</name>
    <message>
        <source>Ignore folders and files in the list:</source>
        <translation>Ordner und Dateien in dieser Liste ignorieren:</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Ignore files of particular extensions:</source>
        <translation>Dateien mit diesen Endungen ignorieren:</translation>
    </message>
    <message>
        <source>Separate extensions with comma, such as txt, avi, dll</source>
        <translation>Endungen durch Kommas trennen, etwa txt, avi, dll</translation>
    </message>
    <message>
        <source>Ignore System Hidden Files and Folders</source>
        <translation>Versteckte Systemdateien und -ordner ignorieren</translation>
    </message>
    <message>
        <source>Select Files and Folders</source>
        <translation>Dateien und Ordner auswählen</translation>
    </message>
</context>
<context>
    <name>TwPreferencesDialog</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Ignore List</source>
        <translation>Ignorierliste</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Auswahl</translation>
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
    <name>TwSearchResult</name>
    <message>
        <source>%1 Bytes</source>
        <translation>%1 Byte</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
</context>
<context>
    <name>TwSelectionWidget</name>
    <message>
        <source>Select duplicates for removal following preset rules below:</source>
        <translation>Duplikate nach den folgenden Regeln zum Entfernen auswählen:</translation>
    </message>
    <message>
        <source>Select newest duplicates for removal</source>
        <translation>Neueste Duplikate zum Entfernen auswählen</translation>
    </message>
    <message>
        <source>Select oldest duplicates for removal</source>
        <translation>Älteste Duplikate zum Entfernen auswählen</translation>
    </message>
    <message>
        <source>Auto-select to remove duplicates by filename</source>
        <translation>Duplikate zum Entfernen nach Dateiname automatisch auswählen</translation>
    </message>
    <message>
        <source>Select duplicates for removal from prioritized location</source>
        <translation>Duplikate zum Entfernen nach Ordnerpriorität auswählen</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>Priorität</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>The larger the value, the higher priority to delete. Double click to change the value and it&apos;s priority.</source>
        <translation>Je größer der Wert, desto eher wird gelöscht. Doppelklicken, um den Wert und damit die Priorität zu ändern.</translation>
    </message>
    <message>
        <source>Select similar images for removal following preset rules below:</source>
        <translation>Ähnliche Bilder nach den folgenden Regeln zum Entfernen auswählen:</translation>
    </message>
    <message>
        <source>Follow the duplicates removal rule</source>
        <translation>Der Regel für Duplikate folgen</translation>
    </message>
    <message>
        <source>Select high-resolution similar images for removal</source>
        <translation>Ähnliche Bilder mit hoher Auflösung zum Entfernen auswählen</translation>
    </message>
    <message>
        <source>Select low-resolution similar images for removal</source>
        <translation>Ähnliche Bilder mit niedriger Auflösung zum Entfernen auswählen</translation>
    </message>
    <message>
        <source>Select high-quality similar images for removal</source>
        <translation>Ähnliche Bilder mit hoher Qualität zum Entfernen auswählen</translation>
    </message>
    <message>
        <source>Select low-quality similar images for removal</source>
        <translation>Ähnliche Bilder mit niedriger Qualität zum Entfernen auswählen</translation>
    </message>
    <message>
        <source>Select Folder</source>
        <translation>Ordner auswählen</translation>
    </message>
    <message>
        <source>The folder has been added.</source>
        <translation>Dieser Ordner wurde bereits hinzugefügt.</translation>
    </message>
    <message>
        <source>%1 is not a number.</source>
        <translation>%1 ist keine Zahl.</translation>
    </message>
    <message>
        <source>%1 is added.</source>
        <translation>Die Priorität %1 ist bereits vergeben.</translation>
    </message>
</context>
<context>
    <name>TwShared</name>
    <message>
        <source>Archives</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>Documents</source>
        <translation>Dokumente</translation>
    </message>
    <message>
        <source>Images</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>Musics</source>
        <translation>Musik</translation>
    </message>
    <message>
        <source>Packages</source>
        <translation>Pakete</translation>
    </message>
    <message>
        <source>Videos</source>
        <translation>Videos</translation>
    </message>
    <message>
        <source>Others</source>
        <translation>Andere</translation>
    </message>
</context>
</TS>
