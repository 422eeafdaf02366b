#include "controls/Errors.h"

#include <cerrno>

namespace quorvel {

std::string frenchReason(int error) {
    switch (error) {
    case 0:
        return "aucune erreur";
    case ENOENT:
        return "fichier introuvable";
    case EEXIST:
        return "un fichier de ce nom existe déjà";
    case EACCES:
    case EPERM:
        return "accès refusé";
    case EROFS:
        return "support en lecture seule";
    case ENOSPC:
        return "disque plein";
    case EDQUOT:
        return "quota disque dépassé";
    case EBUSY:
    case ETXTBSY:
        return "fichier en cours d'utilisation";
    case ENAMETOOLONG:
        return "nom trop long";
    case EXDEV:
        return "le fichier est sur un autre volume";
    case EIO:
        return "erreur de lecture ou d'écriture sur le disque";
    case EISDIR:
        return "c'est un dossier";
    case ENOTDIR:
        return "dossier introuvable";
    case ENOTEMPTY:
        return "le dossier n'est pas vide";
    case EINVAL:
        return "nom refusé par le système de fichiers";
    case ELOOP:
        return "lien symbolique refusé";
    case EMFILE:
    case ENFILE:
        return "trop de fichiers ouverts";
    case ENOMEM:
        return "mémoire insuffisante";
    case EFBIG:
    case EOVERFLOW:
        return "fichier trop grand pour ce support";
    case ENOSYS:
    case EOPNOTSUPP:
        return "opération non prise en charge par ce support";
    case ESTALE:
        return "fichier devenu inaccessible sur le volume réseau";
    case EMLINK:
        return "trop d'entrées ou de liens pour ce support";
    case ENOTCONN:
    case ENODEV:
    case ENXIO:
        return "le support n'est plus connecté";
    case ETIMEDOUT:
        return "le support ne répond pas";
    case EAGAIN:
    case EINTR:
        return "opération interrompue, à réessayer";
    case EBADF:
        return "fichier fermé pendant l'opération";
    default:
        return "erreur système n° " + std::to_string(error);
    }
}

std::string withFailures(const std::string& message, const std::vector<FileFailure>& failures) {
    if (failures.empty())
        return message;
    std::string text = message + "\r\n";
    for (const FileFailure& failure : failures) {
        text += "\r\n" + failure.name + " : " +
                (failure.reason.empty() ? frenchReason(failure.error) : failure.reason);
    }
    return text;
}

std::string withSyncFailure(const std::string& message, int syncError) {
    if (syncError == 0)
        return message;
    return message + "\r\nAttention : l'écriture sur le disque n'a pas pu être confirmée (" +
           frenchReason(syncError) +
           "). Les fichiers renommés ou copiés pourraient être perdus ou incomplets : ne "
           "supprimez pas les originaux avant d'avoir vérifié les copies.";
}

} // namespace quorvel
