// French string table, keyed by the German resource id.
#include "StringTable.h"

namespace velkaro {

namespace {
const StringEntry kEntries[] = {
    { 57345, "Prêt" },
    // Import and export.
    { 34164, "Les %i fiches %sont été enregistrées dans le fichier\n%s" },
    { 34165, "%i fiches chargées du fichier\n%s" },
    { 34166, "Fichier vide" },
    { 34167, "Format de fichier inconnu" },
    { 34168, "Le programme ne peut pas lire cette version de fichier" },
    { 34170, "Fichiers %s" },
    { 34171, "Séparé par tabulations" },
    { 34172, "Séparé par virgules" },
    { 34173, "Configuration d'importation" },
    { 34176, "Attention: aucun champ n'est attribué à la ligne du nom.\nVoulez-vous quand même importer le fichier?" },
    { 34177, "Configuration d'importation enregistrée" },
    { 34178, "Configuration d'importation chargée" },
    { 34179, "Importation..." },
    { 34181, "Chargement du fichier..." },
    { 34182, "Charger la configuration d'importation" },
    { 34183, "Enregistrer la configuration d'importation" },
    { 34184, "Importer" },
    { 61442, "Tous les fichiers (*.*)" },
};
}  // namespace

StringTableSpan FrenchStrings()
{
    return { kEntries, sizeof kEntries / sizeof kEntries[0] };
}

}  // namespace velkaro
