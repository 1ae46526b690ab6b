;;; teaching-languages.el --- Major modes for plimbo, m4t4 and vexa  -*- lexical-binding: t -*-

;;; Commentary:

;; plimbo-mode (*.plb), m4t4-mode (*.m4t) and vexa-mode (*.vexa): highlighting
;; after the programs' own token rules, comment syntax for M-;, and M-x
;; compile running the interpreter on the file (its input the file of the
;; same name ending in .in, when there is one), whose messages `next-error'
;; visits at the line they print.  The interpreters are named by
;; `teaching-languages-programs'.

;;; Code:

(require 'compile)
(require 'seq)
(require 'subr-x)

(defgroup teaching-languages nil
  "The teaching languages plimbo, m4t4 and vexa."
  :group 'languages)

(defcustom teaching-languages-programs '((plimbo . "plimbo") (m4t4 . "m4t4") (vexa . "vexa"))
  "The program that runs each language."
  :type '(alist :key-type symbol :value-type string))

;; The compilation buffer knows the file it ran from the source buffer's
;; `compilation-environment', which M-x compile hands over to it: the
;; messages are tied to that name as Emacs holds it, never to a name read
;; back out of the shell command.
(defconst teaching-languages--source-variable "TEACHING_LANGUAGES_SOURCE="
  "The entry of `compilation-environment' that names the file compiled.")

(defun teaching-languages--compiled-file ()
  "The source file of the compilation in the current buffer, or nil."
  (let ((entry (seq-find (lambda (entry) (string-prefix-p teaching-languages--source-variable entry))
                         compilation-environment)))
    (and entry (substring entry (length teaching-languages--source-variable)))))

(defun teaching-languages--unfinished-file (message after-empty-line)
  "The compiled file, for a closing failure line that no MESSAGE of the
interpreter came before (and, when AFTER-EMPTY-LINE, that follows an empty
line); nil otherwise, which makes the line no error."
  (save-excursion
    (save-match-data
      (goto-char (match-beginning 0))
      (and (not (re-search-backward message nil t))
           (or (not after-empty-line)
               (and (zerop (forward-line -1)) (looking-at-p "$")))
           (teaching-languages--compiled-file)))))

(defconst teaching-languages--plimbo-message "^([^)\n]*)Chyba (\\([0-9]+\\)), ")
(defconst teaching-languages--m4t4-message "V bloku: '[^'\n]*', na radku: \\([0-9]+\\) nastala chyba - ")

;; The messages name no file: they belong to the file the command ran.  A
;; run that fails without a message, a vexa listing stopped by an error, or
;; a file that cannot be opened, is an error for the whole file.  Each rule
;; reads one line, so output that arrives in pieces is parsed alike.
(dolist (entry
         `((plimbo ,teaching-languages--plimbo-message teaching-languages--compiled-file 1)
           (plimbo-unfinished "^\\(Neco se pokazilo\\.\\.\\.\\)$"
                              ,(lambda () (teaching-languages--unfinished-file teaching-languages--plimbo-message t))
                              nil nil 2 nil (1 compilation-error-face))
           (plimbo-unopened "^File \"\\(.*\\)\" se nepodarilo otevrit ty plimbo" 1)
           (m4t4 ,teaching-languages--m4t4-message teaching-languages--compiled-file 1)
           (m4t4-unfinished "^\\(V programu se vyskytla chyba\\.\\)$"
                            ,(lambda () (teaching-languages--unfinished-file teaching-languages--m4t4-message nil))
                            nil nil 2 nil (1 compilation-error-face))
           (m4t4-unopened "^Soubor \"\\(.*\\)\" se nezdarilo otevrit\\.$" 1)
           (vexa "^\\(vexa: malformed token.*\\|moc dlouhy slovo\\|Soubor neexistuje\\)$"
                 teaching-languages--compiled-file nil nil 2 nil (1 compilation-error-face))))
  (setf (alist-get (car entry) compilation-error-regexp-alist-alist) (cdr entry))
  (add-to-list 'compilation-error-regexp-alist (car entry)))

(defun teaching-languages--compile-command (language)
  "The command that runs LANGUAGE's program on the current file, with the
file's input file (the same name ending in .in) when there is one.
Records the file for the compilation buffer."
  (let* ((source (or buffer-file-name ""))
         (program (shell-quote-argument (alist-get language teaching-languages-programs)))
         (relative (file-relative-name source))
         ;; A name that begins with - would read as an option.
         (file (shell-quote-argument (if (string-prefix-p "-" relative) (concat "./" relative) relative)))
         (input (concat (file-name-sans-extension source) ".in")))
    (setq-local compilation-environment
                (cons (concat teaching-languages--source-variable source)
                      (seq-remove (lambda (entry) (string-prefix-p teaching-languages--source-variable entry))
                                  compilation-environment)))
    (cond
     ((eq language 'vexa)
      ;; vexa lists only zdrojak.vexa in the current folder: list a copy,
      ;; and keep vexa's exit status, saying what status 2 means.
      (format (concat "d=$(mktemp -d) && cp %s \"$d/zdrojak.vexa\" && (cd \"$d\" && %s); s=$?; rm -rf \"$d\"; "
                      "[ $s = 2 ] && echo \"vexa: malformed token after the last one listed (exit status 2)\"; exit $s")
              file program))
     ((and buffer-file-name (file-regular-p input))
      (format "%s %s < %s" program file
              (shell-quote-argument (file-relative-name input))))
     (t (format "%s %s" program file)))))

(defmacro teaching-languages--define-mode (name language extension comment closing keywords font-lock)
  "Define NAME, the major mode of LANGUAGE for files ending in EXTENSION."
  `(progn
     (defvar ,(intern (format "%s-font-lock-keywords" name)) ,font-lock)
     (define-derived-mode ,name prog-mode ,(symbol-name language)
       ,(format "Major mode for %s source files." language)
       (setq-local comment-start ,comment)
       (setq-local comment-end ,closing)
       (setq-local comment-start-skip ,(concat (regexp-quote (string-trim comment)) "+ *"))
       (setq-local font-lock-defaults (list ',(intern (format "%s-font-lock-keywords" name)) t))
       (setq-local syntax-propertize-function nil)
       (setq-local indent-tabs-mode nil)
       (setq-local compile-command '(teaching-languages--compile-command ',language))
       ,keywords)
     (add-to-list 'auto-mode-alist '(,(concat "\\." extension "\\'") . ,name))))

;; Comments and strings are found by one regular expression, so that the one
;; that begins first wins, as in the scanners; the rules after it leave them be.
(teaching-languages--define-mode
 plimbo-mode plimbo "plb" "// " "" nil
 '(("\\(/\\*\\(?:[^*]\\|\\*\\(?:.\\|\n\\)\\)*?\\*/\\|//.*\\)\\|\\(\"\\(?:[^\"\\\\]\\|\\\\\\(?:.\\|\n\\)\\)*\"\\)"
    (1 font-lock-comment-face nil t) (2 font-lock-string-face nil t))
   ("\\(?:[^A-Z]\\|^\\)\\(ZDECHNI\\|ESLI\\|JINEM\\|ILSE\\|DOKAD\\|FINISH\\|VRACEE\\|NASAJ\\|PROM\\|CTE\\)\\(?:[^A-Z]\\|\\'\\)" 1 font-lock-keyword-face)
   ("\\$[a-z0-9_]*" . font-lock-variable-name-face)
   ("[#@][a-z0-9_]*" . font-lock-function-name-face)
   ("[-+]?\\(?:[0-9]+\\(?:,[0-9]*\\)?\\|,[0-9]*\\)" . font-lock-constant-face)
   ("[^][ \t\n\r\v\f{}();<>!:=*/%&|+,0-9a-zA-Z$#@\"-]" . font-lock-warning-face)))

(teaching-languages--define-mode
 m4t4-mode m4t4 "m4t" ":: " "" nil
 '(("\\(:!\\(?:.\\|\n\\)*?!:\\|::.*\\)\\|\\(\"\\(?:[^\"/]\\|/\\(?:.\\|\n\\)\\)*\"\\)"
    (1 font-lock-comment-face nil t) (2 font-lock-string-face nil t))
   ("\\(?:[^a-z0-9_@~?.]\\|^\\)\\(w2_end\\|i2_end\\|w2\\|i2\\|e2\\|pis_ln\\|pis\\|cti\\|p2\\|\\.\\)\\(?:[^a-z0-9_]\\|\\'\\)" 1 font-lock-keyword-face)
   ("@[a-z][a-z0-9_]*" . font-lock-variable-name-face)
   ("[~?][a-z][a-z0-9_]*" . font-lock-function-name-face)
   ("[-+]?[0-9]+\\(?:,[0-9]+\\)?\\(?:e[-+]?[0-9]+\\)?" . font-lock-constant-face)
   ("[A-Z#$'[\\\\`\r]" . font-lock-warning-face)))

(teaching-languages--define-mode
 vexa-mode vexa "vexa" "[> " "" nil
 '(("\\(\\[\\[\\(?:.\\|\n\\)*?\\]\\]\\|\\[>.*\\)\\|\\(\"\\(?:[^\"\\\\]\\|\\\\\\(?:.\\|\n\\)\\)*\"\\)"
    (1 font-lock-comment-face nil t) (2 font-lock-string-face nil t))
   ("\\$[A-Za-z0-9_]+\\$" . font-lock-variable-name-face)
   ("[-+]?[0-9]+\\(?:\\.[0-9]+\\)?" . font-lock-constant-face)
   ("[#',.?@\\\\_`~]" . font-lock-warning-face)))

(provide 'teaching-languages)
;;; teaching-languages.el ends here
