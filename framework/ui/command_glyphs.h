#pragma once
// The glyphs of the standard form's commands, drawn rather than shipped as files: a small
// picture per command, in the colours such toolbars use (add green, delete red, ...).

#include <QPixmap>

enum class TCommandGlyph { Incluir, Alterar, Excluir, Gravar, Cancelar, Procurar, Verificar, Imprimir, Ajuda, Fechar };

namespace CommandGlyphs {

// The glyph at `size` × `size` pixels on a transparent background.
QPixmap Draw(TCommandGlyph glyph, int size = 20);

}  // namespace CommandGlyphs
