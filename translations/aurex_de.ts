<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AurexJob</name>
    <message>
        <source>Cancelled.</source>
        <translation>Abgebrochen.</translation>
    </message>
    <message>
        <source>The AUREX Platform did not answer for 1 second.</source>
        <translation>Die AUREX Platform hat 1 Sekunde lang nicht geantwortet.</translation>
    </message>
    <message>
        <source>The AUREX Platform did not answer for %1 seconds.</source>
        <translation>Die AUREX Platform hat %1 Sekunden lang nicht geantwortet.</translation>
    </message>
</context>
<context>
    <name>AurexMainWindow</name>
    <message>
        <source>Sign out</source>
        <translation>Abmelden</translation>
    </message>
    <message>
        <source>Show Tiles</source>
        <translation>Kacheln anzeigen</translation>
    </message>
    <message>
        <source>Show Grid View</source>
        <translation>Rasteransicht anzeigen</translation>
    </message>
    <message>
        <source>Show Structured List</source>
        <translation>Strukturierte Liste anzeigen</translation>
    </message>
    <message>
        <source>Launch Hubdeck</source>
        <translation>Hubdeck starten</translation>
    </message>
    <message>
        <source>Log out</source>
        <translation>Abmelden</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Work Offline</source>
        <translation>Offline arbeiten</translation>
    </message>
    <message>
        <source>Discard Saves Waiting to Upload (%1)...</source>
        <translation>Wartende Speicherungen verwerfen (%1)...</translation>
    </message>
    <message>
        <source>Work offline until it is back</source>
        <translation>Bis dahin offline arbeiten</translation>
    </message>
    <message>
        <source>1 save made offline waits</source>
        <translation>1 offline vorgenommene Speicherung wartet</translation>
    </message>
    <message>
        <source>%1 saves made offline wait</source>
        <translation>%1 offline vorgenommene Speicherungen warten</translation>
    </message>
    <message>
        <source>Discard Saves</source>
        <translation>Speicherungen verwerfen</translation>
    </message>
    <message>
        <source>%1 to upload. Discard? Your files stay as they are on this computer; a later save sends their changes.</source>
        <translation>%1 auf das Hochladen. Verwerfen? Ihre Dateien bleiben auf diesem Computer unverändert; beim nächsten Speichern werden ihre Änderungen übertragen.</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>Discarded 1 save waiting to upload.</source>
        <translation>1 wartende Speicherung verworfen.</translation>
    </message>
    <message>
        <source>Discarded %1 saves waiting to upload.</source>
        <translation>%1 wartende Speicherungen verworfen.</translation>
    </message>
    <message numerus="yes">
        <source> Result: %n File(s)</source>
        <translation>
            <numerusform> Ergebnis: %n Datei</numerusform>
            <numerusform> Ergebnis: %n Dateien</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>AurexMainWindowClass</name>
    <message>
        <source>Collaborative Sharing</source>
        <translation>Zusammenarbeit</translation>
    </message>
    <message>
        <source>Logged user name </source>
        <translation>Angemeldeter Benutzer </translation>
    </message>
    <message>
        <source>Open from Collaborative Space</source>
        <translation>Aus Kollaborationsbereich öffnen</translation>
    </message>
    <message>
        <source>Save to Collaborative Space</source>
        <translation>In Kollaborationsbereich speichern</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Filter current list</source>
        <translation>Aktuelle Liste filtern</translation>
    </message>
    <message>
        <source>DWG</source>
        <translation>DWG</translation>
    </message>
    <message>
        <source>DXF</source>
        <translation>DXF</translation>
    </message>
    <message>
        <source>Sorting options</source>
        <translation>Sortieroptionen</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
</context>
<context>
    <name>AurexPlatform</name>
    <message>
        <source>it did not answer</source>
        <translation>sie hat nicht geantwortet</translation>
    </message>
    <message>
        <source>The AUREX Platform cannot be reached: %1.</source>
        <translation>Die AUREX Platform ist nicht erreichbar: %1.</translation>
    </message>
    <message>
        <source>The AUREX Platform&apos;s certificate is not trusted: %1.</source>
        <translation>Dem Zertifikat der AUREX Platform wird nicht vertraut: %1.</translation>
    </message>
</context>
<context>
    <name>CSFileDeleteDialog</name>
    <message>
        <source>Confirm Delete</source>
        <translation>Löschen bestätigen</translation>
    </message>
    <message>
        <source>Are you sure? You may disrupt some one else&apos;s editing
session.</source>
        <translation>Sind Sie sicher? Sie stören womöglich die Bearbeitung
eines anderen Benutzers.</translation>
    </message>
    <message>
        <source>Don&apos;t show again in this session</source>
        <translation>In dieser Sitzung nicht mehr anzeigen</translation>
    </message>
    <message>
        <source>Continue with delete</source>
        <translation>Trotzdem löschen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>CSLoginDialog</name>
    <message>
        <source>Log in to AUREX</source>
        <translation>Bei AUREX anmelden</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Kennwort</translation>
    </message>
    <message>
        <source>Remember me for a week</source>
        <translation>Eine Woche angemeldet bleiben</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Forgot your password or login ID? </source>
        <translation>Kennwort oder Anmeldenamen vergessen? </translation>
    </message>
    <message>
        <source>Signed in to the AUREX Platform as %1.</source>
        <translation>Bei der AUREX Platform angemeldet als %1.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Credentials should not be empty.</source>
        <translation>Die Anmeldedaten dürfen nicht leer sein.</translation>
    </message>
    <message>
        <source>Username is a required field.</source>
        <translation>Der Benutzername ist ein Pflichtfeld.</translation>
    </message>
    <message>
        <source>Password is a required field.</source>
        <translation>Das Kennwort ist ein Pflichtfeld.</translation>
    </message>
    <message>
        <source>Invalid server or server not available</source>
        <translation>Ungültiger Server oder Server nicht verfügbar</translation>
    </message>
    <message>
        <source>Authentication failed! Your username and/or your password are incorrect</source>
        <translation>Anmeldung fehlgeschlagen! Benutzername und/oder Kennwort sind falsch</translation>
    </message>
    <message>
        <source>Your AUREX Platform administrator can tell you your login ID and set a new password.</source>
        <translation>Ihr Administrator der AUREX Platform nennt Ihnen Ihren Anmeldenamen und vergibt ein neues Kennwort.</translation>
    </message>
</context>
<context>
    <name>CSSearch</name>
    <message>
        <source>The AUREX Platform refused the search: %1.</source>
        <translation>Die AUREX Platform hat die Suche abgelehnt: %1.</translation>
    </message>
</context>
<context>
    <name>ConflictDialog</name>
    <message>
        <source>Changed on the Platform</source>
        <translation>Auf der Plattform geändert</translation>
    </message>
    <message>
        <source>While you worked offline, someone else saved newer versions of these files. Choose what to do with your changes:</source>
        <translation>Während Sie offline gearbeitet haben, hat jemand anderes neuere Versionen dieser Dateien gespeichert. Wählen Sie, was mit Ihren Änderungen geschehen soll:</translation>
    </message>
    <message>
        <source>Keep mine as a copy</source>
        <translation>Meine als Kopie behalten</translation>
    </message>
    <message>
        <source>Take theirs</source>
        <translation>Deren Version übernehmen</translation>
    </message>
    <message>
        <source>Overwrite theirs</source>
        <translation>Deren Version überschreiben</translation>
    </message>
    <message>
        <source>Your version goes to the platform under a title of its own; theirs stays the current version.</source>
        <translation>Ihre Version kommt unter einem eigenen Titel auf die Plattform; die andere bleibt die aktuelle Version.</translation>
    </message>
    <message>
        <source>Their version replaces yours here; yours is kept beside it as a copy with &quot;local changes&quot; in its name.</source>
        <translation>Die andere Version ersetzt Ihre hier; Ihre bleibt daneben als Kopie mit „local changes“ im Namen erhalten.</translation>
    </message>
    <message>
        <source>Your version becomes the current one; theirs stays in the file&apos;s history on the platform.</source>
        <translation>Ihre Version wird zur aktuellen; die andere bleibt im Verlauf der Datei auf der Plattform.</translation>
    </message>
    <message>
        <source>Resolve</source>
        <translation>Auflösen</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Später</translation>
    </message>
    <message>
        <source>%1 (%2&apos;s copy %3)</source>
        <translation>%1 (Kopie von %2 %3)</translation>
    </message>
</context>
<context>
    <name>ConnectionMonitor</name>
    <message>
        <source>Working offline: statuses as last known; saves wait in the outbox until you go online.</source>
        <translation>Offline: Status wie zuletzt bekannt; Speicherungen warten im Postausgang, bis Sie online gehen.</translation>
    </message>
    <message>
        <source>Statuses as of %1.</source>
        <translation>Stand: %1.</translation>
    </message>
    <message>
        <source>No statuses are known yet.</source>
        <translation>Noch keine Status bekannt.</translation>
    </message>
    <message>
        <source>Working offline.</source>
        <translation>Sie arbeiten offline.</translation>
    </message>
    <message>
        <source>The AUREX Platform answers again: working online.</source>
        <translation>Die AUREX Platform antwortet wieder: Sie arbeiten online.</translation>
    </message>
</context>
<context>
    <name>ConnectorPlatform</name>
    <message>
        <source>%1: cancelled</source>
        <translation>%1: abgebrochen</translation>
    </message>
    <message>
        <source>no platform server is set</source>
        <translation>kein Plattform-Server festgelegt</translation>
    </message>
    <message>
        <source>%1 does not answer</source>
        <translation>%1 antwortet nicht</translation>
    </message>
</context>
<context>
    <name>DownloadThread</name>
    <message>
        <source>%1 as of version %2 did not arrive.</source>
        <translation>%1 in Version %2 ist nicht angekommen.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be created.</source>
        <translation>Der Ordner %1 kann nicht erstellt werden.</translation>
    </message>
    <message>
        <source>%1: no temporary folder can be made beside it: %2</source>
        <translation>%1: daneben kann kein temporärer Ordner erstellt werden: %2</translation>
    </message>
    <message>
        <source>no download folder</source>
        <translation>kein Download-Ordner</translation>
    </message>
    <message>
        <source>Not enough space in %1: %2 MB needed, %3 MB free.</source>
        <translation>Nicht genug Speicherplatz in %1: %2 MB benötigt, %3 MB frei.</translation>
    </message>
    <message>
        <source>%1 could not be written to the disk: %2</source>
        <translation>%1 konnte nicht auf den Datenträger geschrieben werden: %2</translation>
    </message>
    <message>
        <source>%1 could not be moved into place: %2</source>
        <translation>%1 konnte nicht an seinen Platz verschoben werden: %2</translation>
    </message>
    <message>
        <source>Your changes to %1 were kept in %2.</source>
        <translation>Ihre Änderungen an %1 wurden in %2 aufbewahrt.</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Abgebrochen.</translation>
    </message>
    <message>
        <source>The references of %1 could not all be updated:
%2</source>
        <translation>Die Referenzen von %1 konnten nicht alle aktualisiert werden:
%2</translation>
    </message>
    <message>
        <source>The downloaded files could not be recorded: %1</source>
        <translation>Die heruntergeladenen Dateien konnten nicht erfasst werden: %1</translation>
    </message>
</context>
<context>
    <name>EarlierVersionFolder</name>
    <message>
        <source>%1 is version %2, an earlier version opened for viewing from the file&apos;s history: it cannot be saved to the collaborative space.

To make it the current version, choose Restore This Version in the history.</source>
        <translation>%1 ist Version %2, eine frühere Version, die aus dem Verlauf der Datei zur Ansicht geöffnet wurde: Sie kann nicht im Kollaborationsbereich gespeichert werden.

Um sie zur aktuellen Version zu machen, wählen Sie im Verlauf „Diese Version wiederherstellen“.</translation>
    </message>
</context>
<context>
    <name>FileHistory</name>
    <message>
        <source>The history of %1 could not be read from the platform.</source>
        <translation>Der Verlauf von %1 konnte nicht von der Plattform gelesen werden.</translation>
    </message>
    <message>
        <source>Version %1 of %2 could not be listed.</source>
        <translation>Version %1 von %2 konnte nicht aufgelistet werden.</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Abgebrochen.</translation>
    </message>
    <message>
        <source>Version %1 of %2 could not be saved as %3.</source>
        <translation>Version %1 von %2 konnte nicht als %3 gespeichert werden.</translation>
    </message>
    <message>
        <source>Version %1 of %2 could not be restored.</source>
        <translation>Version %1 von %2 konnte nicht wiederhergestellt werden.</translation>
    </message>
    <message>
        <source>%1 is locked by %2: no earlier version can be restored until %2 unlocks it.</source>
        <translation>%1 ist von %2 gesperrt: Keine frühere Version kann wiederhergestellt werden, bis %2 die Datei entsperrt.</translation>
    </message>
    <message>
        <source>%1 saved a newer version of %2 (version %3, %4). Refresh the history to see it before you restore an earlier version.</source>
        <translation>%1 hat eine neuere Version von %2 gespeichert (Version %3, %4). Aktualisieren Sie den Verlauf, um sie zu sehen, bevor Sie eine frühere Version wiederherstellen.</translation>
    </message>
    <message>
        <source>Version %1 of %2 is no longer kept on the platform: the platform&apos;s administrator lets old versions go.</source>
        <translation>Version %1 von %2 wird auf der Plattform nicht mehr aufbewahrt: Der Administrator der Plattform löscht alte Versionen.</translation>
    </message>
</context>
<context>
    <name>FileHistoryDialog</name>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Open This Version</source>
        <translation>Diese Version öffnen</translation>
    </message>
    <message>
        <source>Restore This Version</source>
        <translation>Diese Version wiederherstellen</translation>
    </message>
    <message>
        <source>Save a Copy As...</source>
        <translation>Kopie speichern unter...</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>History of %1</source>
        <translation>Verlauf von %1</translation>
    </message>
    <message>
        <source>Every version of %1 that the platform keeps. This computer has no copy of it.</source>
        <translation>Alle Versionen von %1, die die Plattform aufbewahrt. Dieser Computer hat keine Kopie davon.</translation>
    </message>
    <message>
        <source>Every version of %1 that the platform keeps, with the one your copy was made from marked.</source>
        <translation>Alle Versionen von %1, die die Plattform aufbewahrt; die Version, aus der Ihre Kopie stammt, ist markiert.</translation>
    </message>
    <message>
        <source>The history of a file is kept on the AUREX Platform: go online to see it. You are working offline.</source>
        <translation>Der Verlauf einer Datei wird auf der AUREX Platform aufbewahrt: Gehen Sie online, um ihn zu sehen. Sie arbeiten offline.</translation>
    </message>
    <message>
        <source>The history of a file is kept on the AUREX Platform: sign in to see it.</source>
        <translation>Der Verlauf einer Datei wird auf der AUREX Platform aufbewahrt: Melden Sie sich an, um ihn zu sehen.</translation>
    </message>
    <message>
        <source>%1 could not be downloaded; nothing was left behind:
%2</source>
        <translation>%1 konnte nicht heruntergeladen werden; es ist nichts zurückgeblieben:
%2</translation>
    </message>
    <message>
        <source>%1 was downloaded but is not opened: its folder cannot be written: %2</source>
        <translation>%1 wurde heruntergeladen, aber nicht geöffnet: In seinen Ordner kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The platform no longer keeps these files as they were then; the drawing opens without them: %1</source>
        <translation>Die Plattform bewahrt diese Dateien nicht mehr im damaligen Stand auf; die Zeichnung wird ohne sie geöffnet: %1</translation>
    </message>
    <message>
        <source>Opened %1 for viewing from &quot;Earlier versions&quot; in %2; your working copy is unchanged.</source>
        <translation>%1 aus „Earlier versions“ in %2 zur Ansicht geöffnet; Ihre Arbeitskopie ist unverändert.</translation>
    </message>
    <message>
        <source>Restore Version</source>
        <translation>Version wiederherstellen</translation>
    </message>
    <message>
        <source>Make version %1 the current version of %2?

Its contents are saved as a new version with the comment &quot;Restored version %1&quot;; the versions after it stay in the history.%3</source>
        <translation>Version %1 zur aktuellen Version von %2 machen?

Ihr Inhalt wird als neue Version mit dem Kommentar „Restored version %1“ gespeichert; die späteren Versionen bleiben im Verlauf.%3</translation>
    </message>
    <message>
        <source> Your copy is brought up to it; changes you have not saved to the platform are kept in a copy beside it.</source>
        <translation> Ihre Kopie wird auf diesen Stand gebracht; Änderungen, die Sie nicht auf der Plattform gespeichert haben, bleiben in einer Kopie daneben erhalten.</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Restored version %1 of %2: it is version %3 now.</source>
        <translation>Version %1 von %2 wiederhergestellt: Sie ist jetzt Version %3.</translation>
    </message>
    <message>
        <source>%1 is open: close it and open it again to see the restored version.</source>
        <translation>%1 ist geöffnet: Schließen und öffnen Sie die Zeichnung erneut, um die wiederhergestellte Version zu sehen.</translation>
    </message>
    <message>
        <source>Your copy could not be brought up to the restored version: %1</source>
        <translation>Ihre Kopie konnte nicht auf die wiederhergestellte Version gebracht werden: %1</translation>
    </message>
    <message>
        <source>Save a Copy of Version %1</source>
        <translation>Kopie von Version %1 speichern</translation>
    </message>
    <message>
        <source>Version %1 was saved as %2.</source>
        <translation>Version %1 wurde als %2 gespeichert.</translation>
    </message>
</context>
<context>
    <name>FileHistoryModel</name>
    <message>
        <source>Your copy, changed since</source>
        <translation>Ihre Kopie, seitdem geändert</translation>
    </message>
    <message>
        <source>Your copy</source>
        <translation>Ihre Kopie</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>This computer</source>
        <translation>Dieser Computer</translation>
    </message>
    <message>
        <source>Saved</source>
        <translation>Gespeichert</translation>
    </message>
    <message>
        <source>By</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
</context>
<context>
    <name>FileStatus</name>
    <message>
        <source>Status: New file</source>
        <translation>Status: Neue Datei</translation>
    </message>
    <message>
        <source>Status: Changes not saved to collaborative space</source>
        <translation>Status: Änderungen nicht im Kollaborationsbereich gespeichert</translation>
    </message>
    <message>
        <source>Status: Current</source>
        <translation>Status: Aktuell</translation>
    </message>
    <message>
        <source>Status: Collaborative space has newer file</source>
        <translation>Status: Kollaborationsbereich hat neuere Datei</translation>
    </message>
    <message>
        <source>Status: Syncing...</source>
        <translation>Status: Wird abgeglichen...</translation>
    </message>
    <message>
        <source>Status: Waiting to upload</source>
        <translation>Status: Wartet auf Hochladen</translation>
    </message>
    <message>
        <source>Status: An earlier version, opened for viewing</source>
        <translation>Status: Frühere Version, zur Ansicht geöffnet</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Changed here</source>
        <translation>Hier geändert</translation>
    </message>
    <message>
        <source>Current</source>
        <translation>Aktuell</translation>
    </message>
    <message>
        <source>Newer on the platform</source>
        <translation>Neuer auf der Plattform</translation>
    </message>
    <message>
        <source>Checking...</source>
        <translation>Wird geprüft...</translation>
    </message>
    <message>
        <source>Waiting to upload</source>
        <translation>Wartet auf Hochladen</translation>
    </message>
    <message>
        <source>Earlier version, for viewing</source>
        <translation>Frühere Version, zur Ansicht</translation>
    </message>
    <message>
        <source>Locked by you</source>
        <translation>Von Ihnen gesperrt</translation>
    </message>
    <message>
        <source>Locked by someone else</source>
        <translation>Von jemand anderem gesperrt</translation>
    </message>
    <message>
        <source>Locked by %1</source>
        <translation>Gesperrt von %1</translation>
    </message>
    <message>
        <source>Current: the platform has this very version.
Changed here: saved on this computer since it came from the platform.
Newer on the platform: someone saved a later version; open the drawing again to get it.
New: not on the platform yet.
Waiting to upload: saved while working offline; goes to the platform when you go online.
Earlier version, for viewing: opened from a file&apos;s history; it is not saved to the platform.
Locked by you: only you can save changes until you unlock it.
Locked by NAME: only NAME can save changes until the file is unlocked.</source>
        <translation>Aktuell: Die Plattform hat genau diese Version.
Hier geändert: Seit dem Herunterladen von der Plattform auf diesem Computer gespeichert.
Neuer auf der Plattform: Jemand hat eine spätere Version gespeichert; öffnen Sie die Zeichnung erneut, um sie zu erhalten.
Neu: Noch nicht auf der Plattform.
Wartet auf Hochladen: Offline gespeichert; wird auf die Plattform übertragen, sobald Sie online gehen.
Frühere Version, zur Ansicht: Aus dem Verlauf einer Datei geöffnet; sie wird nicht auf der Plattform gespeichert.
Von Ihnen gesperrt: Nur Sie können Änderungen speichern, bis Sie die Datei entsperren.
Gesperrt von NAME: Nur NAME kann Änderungen speichern, bis die Datei entsperrt wird.</translation>
    </message>
    <message>
        <source>File is locked by %1
Only %1 can upload modifications until the
file is unlocked.</source>
        <translation>Die Datei ist von %1 gesperrt.
Nur %1 kann Änderungen hochladen, bis die
Datei entsperrt wird.</translation>
    </message>
    <message>
        <source>Last Modification Date: </source>
        <translation>Letzte Änderung: </translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Version %1, saved by %2 on %3</source>
        <translation>Version %1, gespeichert von %2 am %3</translation>
    </message>
    <message>
        <source>Revision %1</source>
        <translation>Revision %1</translation>
    </message>
    <message>
        <source>Sheet %1</source>
        <translation>Blatt %1</translation>
    </message>
    <message>
        <source>Title block: %1</source>
        <translation>Schriftfeld: %1</translation>
    </message>
</context>
<context>
    <name>HostAccess</name>
    <message>
        <source>No web address is known for this page.</source>
        <translation>Für diese Seite ist keine Webadresse bekannt.</translation>
    </message>
    <message>
        <source>No web browser could open %1</source>
        <translation>Kein Webbrowser konnte %1 öffnen</translation>
    </message>
</context>
<context>
    <name>ImageViewDialog</name>
    <message>
        <source>More Action</source>
        <translation>Weitere Aktionen</translation>
    </message>
</context>
<context>
    <name>LanguageTable</name>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>German</source>
        <translation>Deutsch</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Englisch</translation>
    </message>
    <message>
        <source>Turkish</source>
        <translation>Türkisch</translation>
    </message>
    <message>
        <source>Hungarian</source>
        <translation>Ungarisch</translation>
    </message>
    <message>
        <source>Polish</source>
        <translation>Polnisch</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>Japanisch</translation>
    </message>
    <message>
        <source>French</source>
        <translation>Französisch</translation>
    </message>
    <message>
        <source>QObject::traditional Chinese</source>
        <translation>Traditionelles Chinesisch</translation>
    </message>
    <message>
        <source>Simplified Chinese</source>
        <translation>Vereinfachtes Chinesisch</translation>
    </message>
    <message>
        <source>Italian</source>
        <translation>Italienisch</translation>
    </message>
    <message>
        <source>Spanish</source>
        <translation>Spanisch</translation>
    </message>
    <message>
        <source>Greek</source>
        <translation>Griechisch</translation>
    </message>
    <message>
        <source>Korean</source>
        <translation>Koreanisch</translation>
    </message>
    <message>
        <source>Vietnamese</source>
        <translation>Vietnamesisch</translation>
    </message>
    <message>
        <source>Catalan</source>
        <translation>Katalanisch</translation>
    </message>
    <message>
        <source>Thai</source>
        <translation>Thailändisch</translation>
    </message>
    <message>
        <source>Dutch</source>
        <translation>Niederländisch</translation>
    </message>
    <message>
        <source>Russian</source>
        <translation>Russisch</translation>
    </message>
    <message>
        <source>Portuguese</source>
        <translation>Portugiesisch</translation>
    </message>
    <message>
        <source>Czech</source>
        <translation>Tschechisch</translation>
    </message>
</context>
<context>
    <name>LaunchMessageBox</name>
    <message>
        <source>AUREX Platform</source>
        <translation>AUREX Platform</translation>
    </message>
    <message>
        <source>Welcome to Lintra Connection. Your setup is almost complete!

To establish the connection between Lintra and the AUREX 
Platform, please return to the Hubdeck app. Click the Compass in the top
left corner of the screen and click the Lintra Connection icon. Then
you will be able to log in from Lintra.

If you aren&apos;t sure how to get to the Hubdeck, click the link in the email
that you received from Calvento titled &quot;AUREX Platform - 
Getting Started.&quot;</source>
        <translation>Willkommen bei Lintra Connection. Die Einrichtung ist fast abgeschlossen!

Um die Verbindung zwischen Lintra und der AUREX Platform herzustellen,
kehren Sie bitte zur Hubdeck-App zurück. Klicken Sie auf den Kompass oben
links auf dem Bildschirm und dann auf das Symbol Lintra Connection.
Danach können Sie sich in Lintra anmelden.

Wenn Sie nicht wissen, wie Sie zum Hubdeck gelangen, klicken Sie auf den Link
in der E-Mail von Calvento mit dem Titel „AUREX Platform - 
Getting Started“.</translation>
    </message>
</context>
<context>
    <name>LauncherSignIn</name>
    <message>
        <source>The AUREX Platform cannot be reached (%1): working offline as %2.</source>
        <translation>Die AUREX Platform ist nicht erreichbar (%1): Sie arbeiten offline als %2.</translation>
    </message>
    <message>
        <source>The AUREX Platform did not take the launcher&apos;s sign-in: sign in from the File menu.</source>
        <translation>Die AUREX Platform hat die Anmeldung des Launchers nicht angenommen: Melden Sie sich über das Menü Datei an.</translation>
    </message>
    <message>
        <source>The AUREX Platform cannot be reached (%1): sign in from the File menu once it answers.</source>
        <translation>Die AUREX Platform ist nicht erreichbar (%1): Melden Sie sich über das Menü Datei an, sobald sie antwortet.</translation>
    </message>
    <message>
        <source>The AUREX Platform refused the launcher&apos;s sign-in (its cookie may have expired). Log in with your user name and password.</source>
        <translation>Die AUREX Platform hat die Anmeldung des Launchers abgelehnt (das Cookie ist vielleicht abgelaufen). Melden Sie sich mit Benutzername und Kennwort an.</translation>
    </message>
    <message>
        <source>The AUREX Platform cannot be reached (%1). Log in once it answers.</source>
        <translation>Die AUREX Platform ist nicht erreichbar (%1). Melden Sie sich an, sobald sie antwortet.</translation>
    </message>
</context>
<context>
    <name>ListViewActionMenu</name>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>History...</source>
        <translation>Verlauf...</translation>
    </message>
    <message>
        <source>Lock</source>
        <translation>Sperren</translation>
    </message>
    <message>
        <source>Unlock</source>
        <translation>Entsperren</translation>
    </message>
    <message>
        <source>%1 was not unlocked: %2</source>
        <translation>%1 wurde nicht entsperrt: %2</translation>
    </message>
    <message>
        <source>%1 was not locked: %2</source>
        <translation>%1 wurde nicht gesperrt: %2</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Unlocked %1.</source>
        <translation>%1 entsperrt.</translation>
    </message>
    <message>
        <source>Locked %1.</source>
        <translation>%1 gesperrt.</translation>
    </message>
    <message>
        <source>Get Latest</source>
        <translation>Neueste Version holen</translation>
    </message>
    <message>
        <source>Where Used...</source>
        <translation>Verwendung...</translation>
    </message>
</context>
<context>
    <name>LiveUpdates</name>
    <message>
        <source>%1 saved %2 (version %3).</source>
        <translation>%1 hat %2 gespeichert (Version %3).</translation>
    </message>
    <message>
        <source>%1 restored an earlier version of %2 (now version %3).</source>
        <translation>%1 hat eine frühere Version von %2 wiederhergestellt (jetzt Version %3).</translation>
    </message>
    <message>
        <source>%1 locked %2.</source>
        <translation>%1 hat %2 gesperrt.</translation>
    </message>
    <message>
        <source>%1 unlocked %2.</source>
        <translation>%1 hat %2 entsperrt.</translation>
    </message>
    <message>
        <source>%1 deleted %2 from the platform.</source>
        <translation>%1 hat %2 von der Plattform gelöscht.</translation>
    </message>
    <message>
        <source>Reloaded with the newer version of 1 file.</source>
        <translation>Mit der neueren Version von 1 Datei neu geladen.</translation>
    </message>
    <message>
        <source>Reloaded with the newer versions of %1 files.</source>
        <translation>Mit den neueren Versionen von %1 Dateien neu geladen.</translation>
    </message>
    <message>
        <source>The newer versions could not be brought down; nothing was changed: %1</source>
        <translation>Die neueren Versionen konnten nicht heruntergeladen werden; es wurde nichts geändert: %1</translation>
    </message>
    <message>
        <source>%1 is the latest version already.</source>
        <translation>%1 ist bereits die neueste Version.</translation>
    </message>
    <message>
        <source>Brought down the latest version of %1.</source>
        <translation>Die neueste Version von %1 wurde geladen.</translation>
    </message>
</context>
<context>
    <name>LocalChangesGuard</name>
    <message>
        <source>Could not keep a copy of the local changes to %1 as %2.</source>
        <translation>Eine Kopie der lokalen Änderungen an %1 konnte nicht als %2 aufbewahrt werden.</translation>
    </message>
</context>
<context>
    <name>LockJob</name>
    <message>
        <source>%1 could not be locked on the collaborative space.</source>
        <translation>%1 konnte im Kollaborationsbereich nicht gesperrt werden.</translation>
    </message>
    <message>
        <source>%1 could not be unlocked on the collaborative space.</source>
        <translation>%1 konnte im Kollaborationsbereich nicht entsperrt werden.</translation>
    </message>
</context>
<context>
    <name>LoggingController</name>
    <message>
        <source>Sign Out</source>
        <translation>Abmelden</translation>
    </message>
    <message>
        <source>You hold the lock on one file on the AUREX Platform:</source>
        <translation>Sie halten die Sperre einer Datei auf der AUREX Platform:</translation>
    </message>
    <message>
        <source>You hold locks on %1 files on the AUREX Platform:</source>
        <translation>Sie halten Sperren auf %1 Dateien auf der AUREX Platform:</translation>
    </message>
    <message>
        <source>Nobody else can save them while you hold them.</source>
        <translation>Solange Sie die Sperren halten, kann niemand sonst diese Dateien speichern.</translation>
    </message>
    <message>
        <source>Release and Sign Out</source>
        <translation>Freigeben und abmelden</translation>
    </message>
    <message>
        <source>Keep and Sign Out</source>
        <translation>Behalten und abmelden</translation>
    </message>
    <message>
        <source>These files are still locked by you: %1</source>
        <translation>Diese Dateien sind weiterhin von Ihnen gesperrt: %1</translation>
    </message>
    <message>
        <source>Signed out of the AUREX Platform.</source>
        <translation>Von der AUREX Platform abgemeldet.</translation>
    </message>
    <message>
        <source>Your AUREX Platform session has ended. Sign in again to continue.</source>
        <translation>Ihre Sitzung auf der AUREX Platform ist abgelaufen. Melden Sie sich erneut an, um fortzufahren.</translation>
    </message>
</context>
<context>
    <name>LxAurexView</name>
    <message>
        <source>AUREX Platform Connection</source>
        <translation>AUREX Platform-Verbindung</translation>
    </message>
</context>
<context>
    <name>NewerVersionBar</name>
    <message>
        <source>Reload</source>
        <translation>Neu laden</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Später</translation>
    </message>
    <message>
        <source>%1 saved a newer version of %2.</source>
        <translation>%1 hat eine neuere Version von %2 gespeichert.</translation>
    </message>
    <message>
        <source>Bringing the newer versions down...</source>
        <translation>Neuere Versionen werden heruntergeladen...</translation>
    </message>
</context>
<context>
    <name>OfflinePlatform</name>
    <message>
        <source>you are working offline</source>
        <translation>Sie arbeiten offline</translation>
    </message>
</context>
<context>
    <name>OpenFromCSDialog</name>
    <message>
        <source>All Collaborative Spaces</source>
        <translation>Alle Kollaborationsbereiche</translation>
    </message>
    <message>
        <source>Working offline: search the drawings this computer has copies of.</source>
        <translation>Offline: Durchsucht werden die Zeichnungen, von denen dieser Computer Kopien hat.</translation>
    </message>
    <message>
        <source>Show Grid View</source>
        <translation>Rasteransicht anzeigen</translation>
    </message>
    <message>
        <source>Show Tiles</source>
        <translation>Kacheln anzeigen</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message numerus="yes">
        <source>%n Results</source>
        <translation>
            <numerusform>%n Ergebnis</numerusform>
            <numerusform>%n Ergebnisse</numerusform>
        </translation>
    </message>
    <message>
        <source>Sorting options</source>
        <translation>Sortieroptionen</translation>
    </message>
    <message>
        <source>Default download folder</source>
        <translation>Standard-Download-Ordner</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Meldung</translation>
    </message>
    <message>
        <source>Please enter default download folder location.</source>
        <translation>Bitte geben Sie den Standard-Download-Ordner an.</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>A document with the same name exists in the selected folder and is currently open in Lintra.Press Use Existing to switch to the open document or press Browse... to download to a different folder</source>
        <translation>Im gewählten Ordner gibt es ein Dokument mit demselben Namen, das gerade in Lintra geöffnet ist. Klicken Sie auf „Vorhandenes verwenden“, um zum geöffneten Dokument zu wechseln, oder auf „Durchsuchen...“, um in einen anderen Ordner herunterzuladen</translation>
    </message>
    <message>
        <source>Use Existing</source>
        <translation>Vorhandenes verwenden</translation>
    </message>
    <message>
        <source>Browse..</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>The folder %1 cannot be created.</source>
        <translation>Der Ordner %1 kann nicht erstellt werden.</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>History...</source>
        <translation>Verlauf...</translation>
    </message>
    <message>
        <source>An error occurred during deleting CS file.</source>
        <translation>Beim Löschen der Datei aus dem Kollaborationsbereich ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>Moved to the trash</source>
        <translation>In den Papierkorb verschoben</translation>
    </message>
    <message>
        <source>Moved to the trash of %1: %2.

Nothing is lost yet: you, a manager of %1 or your platform administrator can bring back what you deleted from the trash, where deleted files stay for 30 days unless the administrator set another time.</source>
        <translation>In den Papierkorb von %1 verschoben: %2.

Noch ist nichts verloren: Sie, ein Verwalter von %1 oder Ihr Plattform-Administrator können das Gelöschte aus dem Papierkorb zurückholen. Gelöschte Dateien bleiben dort 30 Tage, sofern der Administrator keine andere Frist eingestellt hat.</translation>
    </message>
    <message>
        <source>Where Used...</source>
        <translation>Verwendung...</translation>
    </message>
</context>
<context>
    <name>OpenFromCSDialogClass</name>
    <message>
        <source>Open From Collaborative Space</source>
        <translation>Aus Kollaborationsbereich öffnen</translation>
    </message>
    <message>
        <source>Search for</source>
        <translation>Suchen nach</translation>
    </message>
    <message>
        <source>in</source>
        <translation>in</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
    <message>
        <source>Search for the document you want to open.</source>
        <translation>Suchen Sie das Dokument, das Sie öffnen möchten.</translation>
    </message>
    <message>
        <source>Default Download Folder</source>
        <translation>Standard-Download-Ordner</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>OpenFromCollaborativeSpace</name>
    <message>
        <source>Open from Collaborative Space</source>
        <translation>Aus Kollaborationsbereich öffnen</translation>
    </message>
    <message>
        <source>Use Latest Files from Both Local Directory and Collaborative Spaces
This option only downloads files from collaborative space that is newer than your local copies,
and they will be downloaded into the folders from which they were last uploaded. Brand new
files will be downloaded to their parent assembly’s directory.</source>
        <translation>Neueste Dateien aus lokalem Verzeichnis und Kollaborationsbereichen verwenden
Diese Option lädt nur Dateien aus dem Kollaborationsbereich herunter, die neuer als Ihre lokalen Kopien sind,
und zwar in die Ordner, aus denen sie zuletzt hochgeladen wurden. Ganz neue
Dateien werden in das Verzeichnis ihrer übergeordneten Baugruppe heruntergeladen.</translation>
    </message>
    <message>
        <source>Use Latest Files from Collaborative Spaces and Overwrite All Local Files
This option downloads all the latest from collaborative space, and
rename files that have the same name by appending a number as to
not overwrite local files. Brand new files will be downloaded to their parent assembly’s directory.</source>
        <translation>Neueste Dateien aus Kollaborationsbereichen verwenden und alle lokalen Dateien überschreiben
Diese Option lädt alle neuesten Dateien aus dem Kollaborationsbereich herunter und
benennt gleichnamige Dateien durch eine angehängte Nummer um, damit
lokale Dateien nicht überschrieben werden. Ganz neue Dateien werden in das Verzeichnis ihrer übergeordneten Baugruppe heruntergeladen.</translation>
    </message>
    <message>
        <source>Use Only Local Files
This option uses only files you already have locally and does 
not download any files from the collaborative space, including 
brand new files. Therefore youmight not be working with the latest designs</source>
        <translation>Nur lokale Dateien verwenden
Diese Option verwendet nur Dateien, die Sie bereits lokal haben, und lädt 
keine Dateien aus dem Kollaborationsbereich herunter, auch keine 
ganz neuen Dateien. Daher arbeiten Sie möglicherweise nicht mit den neuesten Konstruktionen</translation>
    </message>
    <message>
        <source>Your local changes to %1 were kept in %2.</source>
        <translation>Ihre lokalen Änderungen an %1 wurden in %2 aufbewahrt.</translation>
    </message>
    <message>
        <source>The download was cancelled; nothing was changed.</source>
        <translation>Das Herunterladen wurde abgebrochen; es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>The download failed; nothing was changed: %1</source>
        <translation>Das Herunterladen ist fehlgeschlagen; es wurde nichts geändert: %1</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>An error occurred during download</source>
        <translation>Beim Herunterladen ist ein Fehler aufgetreten</translation>
    </message>
    <message>
        <source>Every file was current in %1; nothing was downloaded.</source>
        <translation>Alle Dateien in %1 waren aktuell; es wurde nichts heruntergeladen.</translation>
    </message>
    <message>
        <source>Downloaded 1 file into %1.</source>
        <translation>1 Datei nach %1 heruntergeladen.</translation>
    </message>
    <message>
        <source>Downloaded %1 files into %2.</source>
        <translation>%1 Dateien nach %2 heruntergeladen.</translation>
    </message>
</context>
<context>
    <name>OutboxDelivery</name>
    <message>
        <source>A save waits in the outbox: %1</source>
        <translation>Eine Speicherung wartet im Postausgang: %1</translation>
    </message>
    <message>
        <source>1 save waits in the outbox.</source>
        <translation>1 Speicherung wartet im Postausgang.</translation>
    </message>
    <message>
        <source>%1 saves wait in the outbox.</source>
        <translation>%1 Speicherungen warten im Postausgang.</translation>
    </message>
    <message>
        <source>The outbox is being sent.</source>
        <translation>Der Postausgang wird gesendet.</translation>
    </message>
    <message>
        <source>Working offline: 1 save waits in the outbox.</source>
        <translation>Offline: 1 Speicherung wartet im Postausgang.</translation>
    </message>
    <message>
        <source>Working offline: %1 saves wait in the outbox.</source>
        <translation>Offline: %1 Speicherungen warten im Postausgang.</translation>
    </message>
    <message>
        <source>Sending save %1 of %2 from the outbox...</source>
        <translation>Speicherung %1 von %2 aus dem Postausgang wird gesendet...</translation>
    </message>
    <message>
        <source>From the outbox: %1</source>
        <translation>Aus dem Postausgang: %1</translation>
    </message>
    <message>
        <source>Someone else changed some of its files meanwhile.</source>
        <translation>Jemand anderes hat inzwischen einige ihrer Dateien geändert.</translation>
    </message>
    <message>
        <source>From the outbox: the AUREX Platform had received this save already; it is recorded now.</source>
        <translation>Aus dem Postausgang: Die AUREX Platform hatte diese Speicherung bereits erhalten; sie ist jetzt vermerkt.</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Please wait</source>
        <translation>Bitte warten</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Sign In to AUREX Platform</source>
        <translation>Bei der AUREX Platform anmelden</translation>
    </message>
    <message>
        <source>Sign Out of AUREX Platform</source>
        <translation>Von der AUREX Platform abmelden</translation>
    </message>
    <message>
        <source>The file database %1 is in use by another program. Try again in a moment.</source>
        <translation>Die Dateidatenbank %1 wird von einem anderen Programm verwendet. Versuchen Sie es gleich noch einmal.</translation>
    </message>
    <message>
        <source>The file database %1 could not be read. It is kept as %2, and a new file database is started: files downloaded before are shown as new until they are downloaded or saved again.</source>
        <translation>Die Dateidatenbank %1 konnte nicht gelesen werden. Sie wird als %2 aufbewahrt, und eine neue Dateidatenbank wird angelegt: Zuvor heruntergeladene Dateien werden als neu angezeigt, bis sie erneut heruntergeladen oder gespeichert werden.</translation>
    </message>
    <message>
        <source>no configuration folder for the file database</source>
        <translation>kein Konfigurationsordner für die Dateidatenbank</translation>
    </message>
    <message>
        <source>%1 could not be read and is not overwritten</source>
        <translation>%1 konnte nicht gelesen werden und wird nicht überschrieben</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The model %1 could not be downloaded from the AUREX Platform.</source>
        <translation>Das Modell %1 konnte nicht von der AUREX Platform heruntergeladen werden.</translation>
    </message>
    <message>
        <source>%1 was downloaded, but the application cannot open drawings.</source>
        <translation>%1 wurde heruntergeladen, aber die Anwendung kann keine Zeichnungen öffnen.</translation>
    </message>
    <message>
        <source>%1 was downloaded, but it could not be opened.</source>
        <translation>%1 wurde heruntergeladen, konnte aber nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>No model was named to open.</source>
        <translation>Es wurde kein Modell zum Öffnen angegeben.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>AUREX Platform</source>
        <translation>AUREX Platform</translation>
    </message>
    <message>
        <source>Aurex Platform.</source>
        <translation>AUREX Platform.</translation>
    </message>
    <message>
        <source>Open Aurex Platform</source>
        <translation>Aus AUREX Platform öffnen</translation>
    </message>
    <message>
        <source>Open Aurex Platform.</source>
        <translation>Öffnet eine Zeichnung aus der AUREX Platform.</translation>
    </message>
    <message>
        <source>Save Aurex Platform</source>
        <translation>In AUREX Platform speichern</translation>
    </message>
    <message>
        <source>Save Aurex Platform.</source>
        <translation>Speichert die Zeichnung in der AUREX Platform.</translation>
    </message>
    <message>
        <source>Launch Hubdeck</source>
        <translation>Hubdeck starten</translation>
    </message>
    <message>
        <source>Launch Hubdeck.</source>
        <translation>Startet das Hubdeck.</translation>
    </message>
    <message>
        <source>Sign Out of AUREX Platform.</source>
        <translation>Meldet von der AUREX Platform ab.</translation>
    </message>
    <message>
        <source>Aurex Save Accelerator</source>
        <translation>AUREX Schnellspeichern</translation>
    </message>
    <message>
        <source>Aurex Save Accelerator Platform.</source>
        <translation>Schnellspeichern in der AUREX Platform.</translation>
    </message>
    <message>
        <source>Work Offline</source>
        <translation>Offline arbeiten</translation>
    </message>
    <message>
        <source>Work without the AUREX Platform: saves wait until you go online again.</source>
        <translation>Ohne die AUREX Platform arbeiten: Speicherungen warten, bis Sie wieder online gehen.</translation>
    </message>
    <message>
        <source>Save to Collaborative Space...</source>
        <translation>In Kollaborationsbereich speichern...</translation>
    </message>
    <message>
        <source>Open from Collaborative Space...</source>
        <translation>Aus Kollaborationsbereich öffnen...</translation>
    </message>
</context>
<context>
    <name>ReferenceRepair</name>
    <message>
        <source>no drawing services to repair %1</source>
        <translation>keine Zeichnungsdienste zum Reparieren von %1</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>SaveDialogTreeModel</name>
    <message>
        <source>Save As New</source>
        <translation>Als neu speichern</translation>
    </message>
    <message>
        <source>Save changes</source>
        <translation>Änderungen speichern</translation>
    </message>
    <message>
        <source>Do Not Save</source>
        <translation>Nicht speichern</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>Überschreiben</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Modified</source>
        <translation>Geändert</translation>
    </message>
    <message>
        <source>No changes</source>
        <translation>Keine Änderungen</translation>
    </message>
    <message>
        <source>ModifiedOnServer</source>
        <translation>Auf dem Server geändert</translation>
    </message>
    <message>
        <source>Display Name</source>
        <translation>Anzeigename</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>Collaborative Space</source>
        <translation>Kollaborationsbereich</translation>
    </message>
    <message>
        <source>%1 · Locked by %2</source>
        <translation>%1 · Gesperrt von %2</translation>
    </message>
</context>
<context>
    <name>SaveToCSDialog</name>
    <message>
        <source>Save as New to Collaborative Space</source>
        <translation>Als neu im Kollaborationsbereich speichern</translation>
    </message>
    <message>
        <source>You may choose to exclude a file by changing the status to Do Not Save. Existing files will be saved to their original Collaborative Space.</source>
        <translation>Sie können eine Datei ausschließen, indem Sie ihre Aktion auf „Nicht speichern“ setzen. Vorhandene Dateien werden in ihrem ursprünglichen Kollaborationsbereich gespeichert.</translation>
    </message>
    <message>
        <source>Default Collaborative Space:</source>
        <translation>Standard-Kollaborationsbereich:</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Apply to All</source>
        <translation>Auf alle anwenden</translation>
    </message>
    <message>
        <source>Not all files can be saved due to errors in files that are highlighted. Please correct the errors before continuing.</source>
        <translation>Wegen Fehlern in den hervorgehobenen Dateien können nicht alle Dateien gespeichert werden. Bitte beheben Sie die Fehler, bevor Sie fortfahren.</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Check for Duplicates</source>
        <translation>Auf Duplikate prüfen</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>%1 no longer exists.</source>
        <translation>%1 existiert nicht mehr.</translation>
    </message>
    <message>
        <source>The preview of %1 cannot be made.</source>
        <translation>Die Vorschau von %1 kann nicht erstellt werden.</translation>
    </message>
    <message>
        <source>The system names no configuration folder for the outbox.</source>
        <translation>Das System nennt keinen Konfigurationsordner für den Postausgang.</translation>
    </message>
    <message>
        <source>The folder of %1 cannot be made.</source>
        <translation>Der Ordner von %1 kann nicht erstellt werden.</translation>
    </message>
    <message>
        <source>Another program keeps %1 in use.</source>
        <translation>%1 wird von einem anderen Programm verwendet.</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 was written by a newer version of the module; its saves are left for that version to send.</source>
        <translation>%1 wurde von einer neueren Version des Moduls geschrieben; seine Speicherungen bleiben dieser Version zum Senden überlassen.</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The platform did not store the files; nothing was saved.</source>
        <translation>Die Plattform hat die Dateien nicht abgelegt; es wurde nichts gespeichert.</translation>
    </message>
    <message>
        <source>Nothing to save: the AUREX Platform has every file as it is here.</source>
        <translation>Nichts zu speichern: Die AUREX Platform hat jede Datei im selben Stand wie hier.</translation>
    </message>
    <message>
        <source>Saved 1 file</source>
        <translation>1 Datei gespeichert</translation>
    </message>
    <message>
        <source>Saved %1 files</source>
        <translation>%1 Dateien gespeichert</translation>
    </message>
    <message>
        <source>%1 to %2 (%3 new, %4 changed).</source>
        <translation>%1 in %2 (%3 neu, %4 geändert).</translation>
    </message>
    <message>
        <source>The files were saved to the platform, but the file database could not record %1: %2</source>
        <translation>Die Dateien wurden auf der Plattform gespeichert, aber die Dateidatenbank konnte %1 nicht erfassen: %2</translation>
    </message>
    <message>
        <source>%1 is locked by %2.</source>
        <translation>%1 ist von %2 gesperrt.</translation>
    </message>
    <message>
        <source>%1 was changed on the platform by %2 (%3).</source>
        <translation>%1 wurde auf der Plattform von %2 geändert (%3).</translation>
    </message>
    <message>
        <source>%1 saved a newer version on the platform (%2). Choose Overwrite to replace it with yours.</source>
        <translation>%1 hat eine neuere Version auf der Plattform gespeichert (%2). Wählen Sie „Überschreiben“, um sie durch Ihre zu ersetzen.</translation>
    </message>
    <message>
        <source>File is locked by %1. Only %1 can upload modifications until the file is unlocked.</source>
        <translation>Die Datei ist von %1 gesperrt. Nur %1 kann Änderungen hochladen, bis die Datei entsperrt wird.</translation>
    </message>
    <message>
        <source>%1 cannot be found on this computer.</source>
        <translation>%1 ist auf diesem Computer nicht zu finden.</translation>
    </message>
    <message>
        <source>File with the same name already exists in the selected target collaborative spaces. Rename the file or choose a different collaborative space. Or choose Overwrite and the local file will copy over the latest in the collaborative space.</source>
        <translation>Im gewählten Kollaborationsbereich gibt es bereits eine Datei mit demselben Namen. Benennen Sie die Datei um oder wählen Sie einen anderen Kollaborationsbereich. Oder wählen Sie „Überschreiben“, dann ersetzt die lokale Datei die neueste Version im Kollaborationsbereich.</translation>
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
        <source>Describe your changes</source>
        <translation>Beschreiben Sie Ihre Änderungen</translation>
    </message>
    <message>
        <source>Save to Collaborative Space</source>
        <translation>In Kollaborationsbereich speichern</translation>
    </message>
    <message>
        <source>Open a drawing to save it to a collaborative space.</source>
        <translation>Öffnen Sie eine Zeichnung, um sie in einem Kollaborationsbereich zu speichern.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Nothing to save: the files are as they were at the last exchange.</source>
        <translation>Nichts zu speichern: Die Dateien sind unverändert seit dem letzten Abgleich.</translation>
    </message>
    <message>
        <source>Working offline: 1 file waits in the outbox until you go online.</source>
        <translation>Offline: 1 Datei wartet im Postausgang, bis Sie online gehen.</translation>
    </message>
    <message>
        <source>Working offline: %1 files wait in the outbox until you go online.</source>
        <translation>Offline: %1 Dateien warten im Postausgang, bis Sie online gehen.</translation>
    </message>
    <message>
        <source>Nothing was saved: %1</source>
        <translation>Es wurde nichts gespeichert: %1</translation>
    </message>
    <message>
        <source>An error occurred during upload</source>
        <translation>Beim Hochladen ist ein Fehler aufgetreten</translation>
    </message>
    <message>
        <source>Locked by %1. You have not changed it here, so the platform&apos;s version stays as it is.</source>
        <translation>Gesperrt von %1. Sie haben die Datei hier nicht geändert; die Version auf der Plattform bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>You can read %1 but not save to it.</source>
        <translation>Sie dürfen %1 lesen, aber nichts darin speichern.</translation>
    </message>
</context>
<context>
    <name>SharedFileNotes</name>
    <message>
        <source>1 more changed file is used by other drawings too.</source>
        <translation>1 weitere geänderte Datei wird auch von anderen Zeichnungen verwendet.</translation>
    </message>
    <message>
        <source>%1 more changed files are used by other drawings too.</source>
        <translation>%1 weitere geänderte Dateien werden auch von anderen Zeichnungen verwendet.</translation>
    </message>
</context>
<context>
    <name>ShowAurexTaskPane</name>
    <message>
        <source>The AUREX Platform does not take the sign-in yet: still working offline.</source>
        <translation>Die AUREX Platform nimmt die Anmeldung noch nicht an: Sie arbeiten weiter offline.</translation>
    </message>
</context>
<context>
    <name>SortingActions</name>
    <message>
        <source>Sort by Newest Modified</source>
        <translation>Nach neuester Änderung sortieren</translation>
    </message>
    <message>
        <source>Sort by Oldest Modified</source>
        <translation>Nach ältester Änderung sortieren</translation>
    </message>
    <message>
        <source>Sort by Ascending Name</source>
        <translation>Nach Name aufsteigend sortieren</translation>
    </message>
    <message>
        <source>Sort by Descending Name</source>
        <translation>Nach Name absteigend sortieren</translation>
    </message>
</context>
<context>
    <name>StructureListing</name>
    <message>
        <source>The drawing and its references could not be listed.</source>
        <translation>Die Zeichnung und ihre Referenzen konnten nicht aufgelistet werden.</translation>
    </message>
</context>
<context>
    <name>TaskPaneContainer</name>
    <message>
        <source>AUREX Platform</source>
        <translation>AUREX Platform</translation>
    </message>
</context>
<context>
    <name>TransferProgressDialog</name>
    <message>
        <source>%1 of %2 KB</source>
        <translation>%1 von %2 KB</translation>
    </message>
    <message>
        <source>%1 of %2 MB</source>
        <translation>%1 von %2 MB</translation>
    </message>
    <message>
        <source>1 second left</source>
        <translation>Noch 1 Sekunde</translation>
    </message>
    <message>
        <source>%1 seconds left</source>
        <translation>Noch %1 Sekunden</translation>
    </message>
    <message>
        <source>1 minute left</source>
        <translation>Noch 1 Minute</translation>
    </message>
    <message>
        <source>%1 minutes left</source>
        <translation>Noch %1 Minuten</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>AUREX Platform</source>
        <translation>AUREX Platform</translation>
    </message>
    <message>
        <source>Preparing the transfer...</source>
        <translation>Übertragung wird vorbereitet...</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n files, %3</source>
        <translation>
            <numerusform>%1 von %n Datei, %3</numerusform>
            <numerusform>%1 von %n Dateien, %3</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ViewWidget</name>
    <message>
        <source>More Action</source>
        <translation>Weitere Aktionen</translation>
    </message>
</context>
<context>
    <name>WebViewAurexPlatform</name>
    <message>
        <source>Welcome to &lt;br&gt; Lintra &lt;br &gt;powered by AUREX</source>
        <translation>Willkommen bei &lt;br&gt; Lintra &lt;br&gt;mit AUREX</translation>
    </message>
    <message>
        <source>This add-in lets you connect to the&lt;br&gt;AUREX Platform where you can</source>
        <translation>Mit diesem Add-in verbinden Sie sich mit der&lt;br&gt;AUREX Platform. Dort können Sie</translation>
    </message>
    <message>
        <source>Share Lintra files in &lt;br&gt; cloud-based Storra &lt;br&gt;Collaborative Space</source>
        <translation>Lintra-Dateien im cloudbasierten &lt;br&gt; Storra-Kollaborationsbereich teilen</translation>
    </message>
    <message>
        <source>Collaborate and share ideas in &lt;br&gt;Murmly Communities.</source>
        <translation>in Murmly Communities &lt;br&gt;zusammenarbeiten und Ideen austauschen.</translation>
    </message>
    <message>
        <source>Find recent updates in the Hubdeck.</source>
        <translation>Neuigkeiten finden Sie im Hubdeck.</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>Anmelden</translation>
    </message>
</context>
<context>
    <name>WhereUsed</name>
    <message>
        <source>The AUREX Platform could not say which drawings use %1.</source>
        <translation>Die AUREX Platform konnte nicht sagen, welche Zeichnungen %1 verwenden.</translation>
    </message>
    <message>
        <source>And 1 drawing in a space you are not a member of.</source>
        <translation>Dazu 1 Zeichnung in einem Bereich, dem Sie nicht angehören.</translation>
    </message>
    <message>
        <source>And %1 drawings in spaces you are not a member of.</source>
        <translation>Dazu %1 Zeichnungen in Bereichen, denen Sie nicht angehören.</translation>
    </message>
    <message>
        <source>1 drawing in a space you are not a member of</source>
        <translation>1 Zeichnung in einem Bereich, dem Sie nicht angehören</translation>
    </message>
    <message>
        <source>%1 drawings in spaces you are not a member of</source>
        <translation>%1 Zeichnungen in Bereichen, denen Sie nicht angehören</translation>
    </message>
    <message>
        <source>%1 is also used by %2.</source>
        <translation>%1 wird auch von %2 verwendet.</translation>
    </message>
</context>
<context>
    <name>WhereUsedDialog</name>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Where %1 Is Used</source>
        <translation>Verwendung von %1</translation>
    </message>
    <message>
        <source>The drawings on the AUREX Platform that reference %1. Under each drawing stand the drawings that reach %1 through it.</source>
        <translation>Die Zeichnungen auf der AUREX Platform, die %1 referenzieren. Unter jeder Zeichnung stehen die Zeichnungen, die %1 über sie erreichen.</translation>
    </message>
    <message>
        <source>Drawing</source>
        <translation>Zeichnung</translation>
    </message>
    <message>
        <source>Drawing Number</source>
        <translation>Zeichnungsnummer</translation>
    </message>
    <message>
        <source>Collaborative Space</source>
        <translation>Kollaborationsbereich</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Saved By</source>
        <translation>Gespeichert von</translation>
    </message>
    <message>
        <source>Saved On</source>
        <translation>Gespeichert am</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Which drawings use a file is known to the AUREX Platform: go online to see it. You are working offline.</source>
        <translation>Welche Zeichnungen eine Datei verwenden, weiß die AUREX Platform: Gehen Sie online, um es zu sehen. Sie arbeiten offline.</translation>
    </message>
    <message>
        <source>Which drawings use a file is known to the AUREX Platform: sign in to see it.</source>
        <translation>Welche Zeichnungen eine Datei verwenden, weiß die AUREX Platform: Melden Sie sich an, um es zu sehen.</translation>
    </message>
    <message>
        <source>No drawing on the AUREX Platform uses %1.</source>
        <translation>Keine Zeichnung auf der AUREX Platform verwendet %1.</translation>
    </message>
    <message>
        <source>No drawing that you can see uses %1.</source>
        <translation>Keine Zeichnung, die Sie sehen können, verwendet %1.</translation>
    </message>
</context>
</TS>
