/* A host application in C: evaluates a compiled formula through ZERIZI.

       calc_host SYMFILE OBJFILE [INPUT ...]

   Reads both texts, puts the inputs in elements 1, 2, ... of the value array,
   calls Formula and prints element 0. Build: cc calc_host.c -lZERIZI
   (or pkg-config --cflags --libs zerizi). */
#include <stdio.h>
#include <stdlib.h>

#include "zerizi.h"

/* The whole file as a zero-terminated text, or NULL. */
static char *read_text(const char *path) {
    FILE *file = fopen(path, "rb");
    if (file == NULL) return NULL;
    size_t size = 0, capacity = 256;
    char *text = malloc(capacity);
    size_t got;
    while (text != NULL && (got = fread(text + size, 1, capacity - size - 1, file)) > 0) {
        size += got;
        if (size + 1 == capacity) {
            char *larger = realloc(text, capacity * 2);
            if (larger == NULL) {
                free(text);
                text = NULL;
            } else {
                text = larger;
                capacity *= 2;
            }
        }
    }
    fclose(file);
    if (text != NULL) text[size] = '\0';
    return text;
}

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: calc_host SYMFILE OBJFILE [INPUT ...]\n");
        return 2;
    }
    int inputs = argc - 3;
    double *values = calloc((size_t)inputs + 1, sizeof *values);
    char *symbols = read_text(argv[1]);
    char *code = read_text(argv[2]);
    int status = 0;
    if (values == NULL || symbols == NULL || code == NULL) {
        fprintf(stderr, "calc_host: cannot read %s or %s\n", argv[1], argv[2]);
        status = 2;
    } else {
        for (int i = 0; i < inputs; ++i) values[i + 1] = strtod(argv[i + 3], NULL);
        const char *texts[2] = {symbols, code};
        Formula(values, texts);
        printf("%.17g\n", values[0]);
    }
    free(code);
    free(symbols);
    free(values);
    return status;
}
