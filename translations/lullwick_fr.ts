<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>Metadata</name>
    <message>
        <source>Clap to Sleep</source>
        <translation>Mise en veille en tapant des mains</translation>
    </message>
    <message>
        <source>Clap twice to put the computer to sleep</source>
        <translation>Tapez deux fois dans vos mains pour mettre l’ordinateur en veille</translation>
    </message>
    <message>
        <source>sleep;suspend;clap;microphone;</source>
        <extracomment>Search words, each ending in a semicolon; not translated one by one.</extracomment>
        <translation>veille;mettre en veille;suspendre;mains;applaudir;microphone;</translation>
    </message>
    <message>
        <source>Lullwick lives in the system tray and listens to the default microphone. When it hears a double clap, two short sharp claps a moment apart, it asks for confirmation with a card that counts down from ten, or puts the computer to sleep at once, as you choose. While a video is playing the card cancels itself, so that applause in a film never stops the film.</source>
        <translation>Lullwick se loge dans la zone de notification et écoute le microphone par défaut. Lorsqu’il entend un double clap, deux claquements de mains brefs et nets à un instant d’intervalle, il demande confirmation avec une carte qui décompte à partir de dix, ou met aussitôt l’ordinateur en veille, selon votre choix. Pendant la lecture d’une vidéo, la carte s’annule d’elle-même, pour que des applaudissements dans un film n’arrêtent jamais le film.</translation>
    </message>
    <message>
        <source>Listening can be limited to daily listening hours; outside them, and whenever listening is switched off, the microphone is fully closed. A setup assistant walks through the microphone, the sleep behaviour, the listening hours and a practice clap.</source>
        <translation>L’écoute peut être limitée à des heures d’écoute quotidiennes&#xa0;; en dehors de celles-ci, et chaque fois que l’écoute est désactivée, le microphone est entièrement fermé. Un assistant de configuration vous guide pour le microphone, la mise en veille, les heures d’écoute et un clap d’essai.</translation>
    </message>
    <message>
        <source>Permissions it needs:</source>
        <translation>Autorisations nécessaires&#xa0;:</translation>
    </message>
    <message>
        <source>The microphone, and only after you allowed it in Lullwick&apos;s own question. Audio is analysed in memory, 1024 samples at a time, and never recorded, stored or sent anywhere.</source>
        <translation>Le microphone, et seulement après que vous l’avez autorisé dans la question de Lullwick. Le son est analysé en mémoire, 1024 échantillons à la fois, et n’est jamais enregistré, conservé ni envoyé nulle part.</translation>
    </message>
    <message>
        <source>Putting the computer to sleep, which it asks of the system (systemd or elogind).</source>
        <translation>La mise en veille de l’ordinateur, qu’il demande au système (systemd ou elogind).</translation>
    </message>
    <message>
        <source>Reading the desktop&apos;s lists of programs that keep the screen awake, to tell a film.</source>
        <translation>La lecture des listes du bureau qui nomment les programmes gardant l’écran allumé, pour reconnaître un film.</translation>
    </message>
    <message>
        <source>Starting at login, only when you switch that on.</source>
        <translation>Le lancement à l’ouverture de session, seulement si vous l’activez.</translation>
    </message>
    <message>
        <source>The commands lullwick analyze and lullwick listen show what the clap detector hears in a sound file or from the microphone.</source>
        <translation>Les commandes lullwick analyze et lullwick listen montrent ce que le détecteur de claps entend dans un fichier son ou depuis le microphone.</translation>
    </message>
</context>
<context>
    <name>lullwick::AppState</name>
    <message>
        <source>Microphone access needed</source>
        <translation>Accès au microphone nécessaire</translation>
    </message>
    <message>
        <source>Run the Setup Assistant to start</source>
        <translation>Lancez l’assistant de configuration pour commencer</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>En pause</translation>
    </message>
    <message>
        <source>Off schedule — no hours set</source>
        <translation>Hors des heures d’écoute&#xa0;— aucune heure définie</translation>
    </message>
    <message>
        <source>Off schedule — resumes at %1</source>
        <translation>Hors des heures d’écoute&#xa0;— reprise à %1</translation>
    </message>
    <message>
        <source>Listening for 👏👏</source>
        <translation>À l’écoute de 👏👏</translation>
    </message>
    <message>
        <source>Starting microphone…</source>
        <translation>Démarrage du microphone…</translation>
    </message>
</context>
<context>
    <name>lullwick::BehaviorPage</name>
    <message>
        <source>How It Sleeps</source>
        <translation>La mise en veille</translation>
    </message>
    <message>
        <source>Clap twice, sharply, about half a second apart.</source>
        <translation>Tapez deux fois dans vos mains, d’un coup sec, à environ une demi-seconde d’intervalle.</translation>
    </message>
    <message>
        <source>Always Ask Before Sleeping</source>
        <translation>Toujours demander avant la mise en veille</translation>
    </message>
    <message>
        <source>Ask Only While a Video Is Playing</source>
        <translation>Demander seulement pendant une vidéo</translation>
    </message>
    <message>
        <source>The confirmation counts down 10 seconds, then sleeps by itself — clapping from across the room still works. Press Esc to cancel.</source>
        <translation>La confirmation décompte 10 secondes, puis met en veille d’elle-même&#xa0;— taper dans vos mains depuis l’autre bout de la pièce fonctionne aussi. Appuyez sur Échap pour annuler.</translation>
    </message>
    <message>
        <source>If a video is playing (YouTube, Netflix, VLC…), Lullwick always asks and auto-cancels instead — applause in a movie will never stop your film.</source>
        <translation>Si une vidéo est en cours de lecture (YouTube, Netflix, VLC…), Lullwick demande toujours et annule de lui-même&#xa0;— des applaudissements dans un film n’arrêteront jamais votre film.</translation>
    </message>
</context>
<context>
    <name>lullwick::ConfirmationPanelController</name>
    <message>
        <source>Lullwick: Sleep?</source>
        <translation>Lullwick&#xa0;: mettre en veille&#xa0;?</translation>
    </message>
</context>
<context>
    <name>lullwick::ConfirmationView</name>
    <message>
        <source>Clap-clap detected</source>
        <translation>Clap-clap détecté</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Sleep Anyway</source>
        <translation>Mettre en veille quand même</translation>
    </message>
    <message>
        <source>Sleep Now</source>
        <translation>Mettre en veille</translation>
    </message>
    <message numerus="yes">
        <source>A video is playing — ignoring in %ns unless you confirm.</source>
        <translation>
            <numerusform>Une vidéo est en cours&#xa0;— clap ignoré dans %n&#xa0;seconde, sauf si vous confirmez.</numerusform>
            <numerusform>Une vidéo est en cours&#xa0;— clap ignoré dans %n&#xa0;secondes, sauf si vous confirmez.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Going to sleep in %ns…</source>
        <translation>
            <numerusform>Mise en veille dans %n&#xa0;seconde…</numerusform>
            <numerusform>Mise en veille dans %n&#xa0;secondes…</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lullwick::GoodNightPanelController</name>
    <message>
        <source>Lullwick: Good night</source>
        <translation>Lullwick&#xa0;: bonne nuit</translation>
    </message>
</context>
<context>
    <name>lullwick::GoodNightView</name>
    <message>
        <source>Good night!</source>
        <translation>Bonne nuit&#xa0;!</translation>
    </message>
</context>
<context>
    <name>lullwick::ListeningHoursPage</name>
    <message>
        <source>Listening Hours</source>
        <translation>Heures d’écoute</translation>
    </message>
    <message>
        <source>Keep the mic off except when you actually use Lullwick —
around bedtime, a lunch break, whenever suits you.</source>
        <translation>Le micro reste coupé sauf quand vous utilisez vraiment Lullwick&#xa0;—
au coucher, à la pause déjeuner, quand bon vous semble.</translation>
    </message>
    <message>
        <source>Listen only during scheduled hours</source>
        <translation>Écouter seulement pendant les heures prévues</translation>
    </message>
    <message>
        <source>No hours yet — add a window below.</source>
        <translation>Aucune heure pour l’instant&#xa0;— ajoutez une plage ci-dessous.</translation>
    </message>
    <message>
        <source>Add Hours</source>
        <translation>Ajouter des heures</translation>
    </message>
    <message>
        <source>Windows can cross midnight (9:00 PM – 7:00 AM) and you can add several — e.g. a lunch nap from 12:00 to 2:00 PM.</source>
        <translation>Une plage peut passer minuit (21:00 – 07:00) et vous pouvez en ajouter plusieurs&#xa0;— par ex. une sieste de 12:00 à 14:00.</translation>
    </message>
    <message>
        <source>Outside these hours the microphone is completely off and the tray icon becomes a moon.</source>
        <translation>En dehors de ces heures, le microphone est complètement coupé et l’icône de la zone de notification devient une lune.</translation>
    </message>
</context>
<context>
    <name>lullwick::LullwickApp</name>
    <message>
        <source>Lullwick has no tray icon</source>
        <translation>Lullwick n’a pas d’icône dans la zone de notification</translation>
    </message>
    <message>
        <source>This desktop shows no tray icons, so Lullwick&apos;s menu cannot appear. On GNOME, install and enable the extension “AppIndicator and KStatusNotifierItem Support”.</source>
        <translation>Ce bureau n’affiche pas d’icônes dans la zone de notification, le menu de Lullwick ne peut donc pas apparaître. Sous GNOME, installez et activez l’extension «&#xa0;AppIndicator and KStatusNotifierItem Support&#xa0;».</translation>
    </message>
    <message>
        <source>Lullwick</source>
        <translation>Lullwick</translation>
    </message>
</context>
<context>
    <name>lullwick::MenuContent</name>
    <message>
        <source>Listen for Double Clap</source>
        <translation>Écouter le double clap</translation>
    </message>
    <message>
        <source>Only During Scheduled Hours</source>
        <translation>Seulement aux heures prévues</translation>
    </message>
    <message>
        <source>Edit Listening Hours…</source>
        <translation>Modifier les heures d’écoute…</translation>
    </message>
    <message>
        <source>Allow Microphone Access…</source>
        <translation>Autoriser l’accès au microphone…</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Confirmation</translation>
    </message>
    <message>
        <source>Always Ask Before Sleeping</source>
        <translation>Toujours demander avant la mise en veille</translation>
    </message>
    <message>
        <source>Ask Only While a Video Is Playing</source>
        <translation>Demander seulement pendant une vidéo</translation>
    </message>
    <message>
        <source>Sensitivity</source>
        <translation>Sensibilité</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Faible</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Moyenne</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Élevée</translation>
    </message>
    <message>
        <source>Setup Assistant…</source>
        <translation>Assistant de configuration…</translation>
    </message>
    <message>
        <source>Sleep Now</source>
        <translation>Mettre en veille</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>Lancer à l’ouverture de session</translation>
    </message>
    <message>
        <source>Quit Lullwick</source>
        <translation>Quitter Lullwick</translation>
    </message>
</context>
<context>
    <name>lullwick::MicrophonePage</name>
    <message>
        <source>Microphone Access</source>
        <translation>Accès au microphone</translation>
    </message>
    <message>
        <source>Lullwick needs the microphone to hear your claps.</source>
        <translation>Lullwick a besoin du microphone pour vous entendre taper dans vos mains.</translation>
    </message>
    <message>
        <source>Audio is analyzed live, in memory — nothing is ever recorded or stored.</source>
        <translation>Le son est analysé en direct, en mémoire&#xa0;— rien n’est jamais enregistré ni conservé.</translation>
    </message>
    <message>
        <source>Your desktop may show a microphone indicator whenever Lullwick is listening — that&apos;s normal.</source>
        <translation>Votre bureau peut afficher un indicateur de microphone tant que Lullwick écoute&#xa0;— c’est normal.</translation>
    </message>
    <message>
        <source>On the next steps you can set listening hours, so the mic isn&apos;t on all the time.</source>
        <translation>Aux étapes suivantes, vous pourrez définir des heures d’écoute, pour que le micro ne soit pas allumé en permanence.</translation>
    </message>
    <message>
        <source>Microphone enabled</source>
        <translation>Microphone activé</translation>
    </message>
    <message>
        <source>Enable Microphone…</source>
        <translation>Activer le microphone…</translation>
    </message>
    <message>
        <source>Microphone access was denied.</source>
        <translation>L’accès au microphone a été refusé.</translation>
    </message>
    <message>
        <source>Open System Settings…</source>
        <translation>Ouvrir les paramètres du système…</translation>
    </message>
</context>
<context>
    <name>lullwick::MicrophoneQuestion</name>
    <message>
        <source>Lullwick</source>
        <translation>Lullwick</translation>
    </message>
    <message>
        <source>“Lullwick” would like to access the microphone.</source>
        <translation>«&#xa0;Lullwick&#xa0;» souhaite accéder au microphone.</translation>
    </message>
    <message>
        <source>It listens for your double clap: audio is analyzed in memory and never recorded.</source>
        <translation>Il guette votre double clap&#xa0;: le son est analysé en mémoire et jamais enregistré.</translation>
    </message>
    <message>
        <source>Don&apos;t Allow</source>
        <translation>Ne pas autoriser</translation>
    </message>
    <message>
        <source>Allow</source>
        <translation>Autoriser</translation>
    </message>
</context>
<context>
    <name>lullwick::OnboardingView</name>
    <message>
        <source>Back</source>
        <translation>Retour</translation>
    </message>
    <message>
        <source>Get Started</source>
        <translation>Commencer</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Continuer</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Terminer</translation>
    </message>
</context>
<context>
    <name>lullwick::OnboardingWindowController</name>
    <message>
        <source>Lullwick Setup</source>
        <translation>Configuration de Lullwick</translation>
    </message>
</context>
<context>
    <name>lullwick::PracticePage</name>
    <message>
        <source>Enable the microphone on the earlier step to try this.</source>
        <translation>Activez le microphone à l’étape précédente pour essayer.</translation>
    </message>
    <message>
        <source>Not triggering? Clap louder and sharper, or raise Sensitivity later from the tray icon.</source>
        <translation>Rien ne se passe&#xa0;? Tapez plus fort et plus sec, ou augmentez plus tard la sensibilité depuis l’icône de la zone de notification.</translation>
    </message>
    <message>
        <source>Double clap detected!</source>
        <translation>Double clap détecté&#xa0;!</translation>
    </message>
    <message>
        <source>Try it — clap twice now</source>
        <translation>Essayez&#xa0;— tapez deux fois dans vos mains</translation>
    </message>
    <message numerus="yes">
        <source>Detected %n× — you&apos;re all set. Click Finish.</source>
        <translation>
            <numerusform>Détecté %n×&#xa0;— tout est prêt. Cliquez sur Terminer.</numerusform>
            <numerusform>Détecté %n×&#xa0;— tout est prêt. Cliquez sur Terminer.</numerusform>
        </translation>
    </message>
    <message>
        <source>Practice claps here never put your computer to sleep.</source>
        <translation>Ici, les essais ne mettent jamais votre ordinateur en veille.</translation>
    </message>
</context>
<context>
    <name>lullwick::ScheduleWindowRow</name>
    <message>
        <source>Listen during these hours</source>
        <translation>Écouter pendant ces heures</translation>
    </message>
    <message>
        <source>to</source>
        <translation>à</translation>
    </message>
    <message>
        <source>Remove these hours</source>
        <translation>Supprimer ces heures</translation>
    </message>
</context>
<context>
    <name>lullwick::WelcomePage</name>
    <message>
        <source>Welcome to Lullwick</source>
        <translation>Bienvenue dans Lullwick</translation>
    </message>
    <message>
        <source>Clap twice — your computer goes to sleep.
Let&apos;s set everything up in under a minute.</source>
        <translation>Tapez deux fois dans vos mains&#xa0;— l’ordinateur se met en veille.
Configurons tout en moins d’une minute.</translation>
    </message>
</context>
</TS>
